// The PNG writer's implementation, compiled once for the renderer.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
