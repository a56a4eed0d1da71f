// The record's tail reader over a file of the input's bytes, followed by a
// run of NUL bytes as a power cut leaves them: the first byte gives its
// length, up to 8 KiB in steps of 64 bytes or up to 127 MiB in MiB. The
// reader must find the file's last whole record line, however far back, and
// never ask for more than the most it ever reads of a file.
#include <algorithm>
#include <cstdint>
#include <string>

#include "record/VerdictRecordCsv.h"
#include "tests/support/MemoryPlatform.h"

namespace {

constexpr std::uint64_t kLongestRead = 64u << 20;

// The fields of the last whole line with a run number; empty when none.
void LastLine(const std::string& bytes, std::vector<std::string>& last) {
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::vector<std::string> fields = talven::SplitCsvLine(bytes.substr(start, end - start));
        bool numbered = false;
        talven::RecordRun(fields, numbered);
        if (numbered) last = fields;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using talven::test::Require;
    if (size == 0) return 0;
    const std::size_t nuls = data[0] < 0x80 ? data[0] * 64u : (data[0] - 0x80u) << 20;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    bytes.append(nuls, '\0');
    talven::test::MemoryPlatform platform;
    platform.files["D:\\records\\day.csv"] = bytes;

    std::vector<std::string> last;
    LastLine(bytes, last);
    const std::string identity = last.size() >= talven::kIdentifiedRecordColumns ? last[talven::kRecordLineColumn] : "";
    talven::SoughtLines sought;
    if (!identity.empty()) sought[identity] = last;
    const talven::RecordTail tail = talven::ReadRecordTail(platform, "D:\\records\\day.csv", sought);
    Require(platform.largestRead <= kLongestRead, "the tail reader asks for more than its bound");
    Require(tail.result == talven::FileResult::Done && tail.size == bytes.size(), "the file's size");
    Require(tail.finish.empty() == (bytes.empty() || bytes.back() == '\n'), "whether the file ends a line");
    if (!identity.empty() && bytes.size() <= kLongestRead)
        Require(tail.found.count(identity) == 1, "the last whole line's identity");

    talven::FileResult result = talven::FileResult::Failed;
    const std::string whole = talven::ReadRecordFile(platform, "D:\\records\\day.csv", result);
    Require(platform.largestRead <= kLongestRead, "the file reader asks for more than its bound");
    Require(whole == bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), kLongestRead)),
            "the file's bytes, or as much of its end as is ever read");
    return 0;
}
