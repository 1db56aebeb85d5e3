// The host's reading of an HTTP answer off the network: whatever comes, no fault, never more body held
// than its cap, and the same outcome however the bytes are split as they arrive.
#include "FuzzCheck.h"
#include "HttpAnswerReader.h"

#include <cstdint>

namespace {

constexpr qint64 Cap = 4096;

struct Outcome {
    HttpAnswerReader::State state;
    int status;
    QByteArray body;
    bool reusable;
};

// Feeds `bytes` in pieces of `piece` bytes, then closes when the answer is still unfinished.
Outcome read(QByteArrayView bytes, qsizetype piece)
{
    HttpAnswerReader reader(Cap);
    for (qsizetype at = 0; at < bytes.size() && reader.state() == HttpAnswerReader::State::Reading;
         at += piece)
        reader.feed(bytes.sliced(at, std::min(piece, bytes.size() - at)));
    const bool reusable = reader.reusable();
    reader.close();
    const HttpAnswerReader::State state = reader.state();
    const int status = reader.status();
    return {state, status, reader.takeBody(), reusable};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte is the size of the pieces the answer arrives in (1 to 256), the rest the answer.
    if (size == 0)
        return 0;
    const QByteArrayView answer(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const Outcome whole = read(answer, qMax<qsizetype>(answer.size(), 1));
    const Outcome split = read(answer, qsizetype(data[0]) + 1);
    FUZZ_CHECK(whole.body.size() <= Cap);
    FUZZ_CHECK(whole.state == split.state);
    if (whole.state == HttpAnswerReader::State::Done) {
        FUZZ_CHECK(whole.status >= 200 && whole.status <= 999);
        FUZZ_CHECK(whole.body == split.body && whole.status == split.status);
    }
    return 0;
}
