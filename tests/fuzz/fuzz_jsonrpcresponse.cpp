// The host's reading of the server's answers: whatever comes back, no fault, and anything it cannot
// take is an Exception with a message, never a value made up.
#include "Exception.h"
#include "FuzzCheck.h"
#include "JsonRpcResponse.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte says how many by-reference arguments the call had (0 to 3), the rest is the answer.
    if (size == 0)
        return 0;
    QString references[3];
    QList<QString*> wanted;
    for (int i = 0; i < data[0] % 4; ++i)
        wanted.append(&references[i]);
    const QByteArray body(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    try {
        decodeJsonRpcResponse(body, 7, wanted);
    } catch (const Exception& error) {
        FUZZ_CHECK(!error.Message().isEmpty());
    }
    return 0;
}
