#pragma once

// What the show is doing, for the line a fatal signal prints
// (platform/crash_report.h). Neither allocates.

// Notes the current GL renderer and version (the context must be current).
// Two glGetString calls.
void noteRendererForCrashReport();

// Notes that `scene` is being drawn at `seconds` of the show: a formatted
// copy of under 128 bytes.
void noteRenderingScene(const char* scene, float seconds);
