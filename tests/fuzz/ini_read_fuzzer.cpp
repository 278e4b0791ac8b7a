// The reader on any bytes: no crash, no hang, no sanitizer report, and never
// more than 254 bytes back.

#include "INI_Files.h"
#include "IniFuzzInput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const IniFuzzInput input(data, size);
    const QByteArray value = INI_Files::valueIn(input.contents, input.section, input.key);
    if (value.size() > INI_Files::MaxValueBytes)
        std::abort();
    return 0;
}
