#include <vantor/image.h>
