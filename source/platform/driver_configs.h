#pragma once

// What the OpenGL driver lists, asked of the display of the current
// context without making a window or a context.
namespace platform {

enum class listedAnswer { unknown, none, some };

// Whether the driver behind the current context (EGL or GLX) lists a
// configuration for OpenGL with at least `samples` samples per pixel and a
// multisample buffer. `unknown` when no context is current or its kind is
// neither; the caller then has to find out by making one. Microseconds:
// a query of the driver's list, where a trial context costs tens of
// milliseconds on software GL.
listedAnswer listedMultisampleConfigs(int samples);

}  // namespace platform
