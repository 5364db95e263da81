#pragma once

// OpenGL 1.1 with the extension types, and GLU. Extension entry points are
// fetched at run time into ext:: (api/gl/extensions.h), never linked.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
