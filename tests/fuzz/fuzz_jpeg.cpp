// Fuzz target: reading a JPEG from arbitrary bytes must end in a picture of
// the size its header gave, a refusal for its size, or a refusal as
// damaged; never in a crash, a hang or the end of the process.

#include "platform/jpegreader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A small limit keeps each run quick; the header check is the same.
    const platform::JpegPicture p =
        platform::readJpeg(reinterpret_cast<const char *>(data), qsizetype(size), 1024 * 1024);
    if (p.status == platform::JpegPicture::Status::Ok && p.image.size() != p.size)
        std::abort();
    // The orientation parser on its own, over the same bytes.
    const int orientation = platform::exifOrientation(data, size);
    if (orientation < 1 || orientation > 8)
        std::abort();
    return 0;
}
