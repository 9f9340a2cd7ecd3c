// stb's PNG writer, compiled here where no prebuilt stb library exists (the
// web build); the desktop links Debian's.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
