// The verdict record and its spool through a sequence decoded from the input:
// adds, flushes, failed and torn writes, a folder that refuses writes, failed
// reads, kills, restarts, day changes and a renamed computer. Afterwards, with
// no fault left, one more start must write every line a spool held, each once.
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "record/VerdictRecord.h"
#include "record/VerdictRecordCsv.h"
#include "tests/support/MemoryPlatform.h"

namespace {

using talven::FileResult;
using talven::test::MemoryPlatform;
using talven::test::Require;

constexpr FileResult kTroubles[] = {FileResult::InUse, FileResult::DiskFull, FileResult::Denied, FileResult::Failed};

// A line's product (unique to each add) and identity: what makes it one line.
std::string KeyOf(const std::vector<std::string>& fields, std::size_t first) {
    return fields[first + 7] + "|" + fields[first + talven::kRecordLineColumn];
}

// The keys of the whole record lines of `bytes` that have `columns` fields.
std::multiset<std::string> Lines(const std::string& bytes, std::size_t columns) {
    std::multiset<std::string> keys;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::vector<std::string> fields = talven::SplitCsvLine(bytes.substr(start, end - start));
        bool numbered = false;  // the header is no line
        talven::RecordRun(fields, numbered, columns - talven::kRecordColumns);
        if (fields.size() == columns && numbered) keys.insert(KeyOf(fields, columns - talven::kRecordColumns));
    }
    return keys;
}

struct Station {
    MemoryPlatform platform;
    std::unique_ptr<talven::VerdictRecord> record;
    std::uint32_t run = 0;
    std::uint32_t adds = 0;
    std::set<std::string> held;  // every line the spool held whole

    void Start() {
        record.reset();
        platform.Revive();
        const std::string spool = "C:\\line\\Talven-" + platform.computer + ".spool";
        record = std::make_unique<talven::VerdictRecord>(platform, spool, "1.00");
        record->SetFolder("D:\\records");
    }
    void Add(bool newRun) {
        if (newRun || run == 0) run = record->StartRun();
        talven::Verdict verdict;
        verdict.mode = "Write/Read Test";
        verdict.run = run;
        verdict.drive = "E:";
        verdict.product = "P" + std::to_string(++adds);
        verdict.text = "Test success.";
        verdict.word = talven::VerdictWord::Pass;
        record->Add(verdict);
    }
    // One step; the byte after it may give a torn append's length.
    void Step(std::uint8_t op, std::uint8_t next) {
        const int arg = op >> 3;
        MemoryPlatform::Faults& faults = platform.faults;
        switch (op & 7) {
            case 0: Add(false); break;
            case 1: Add(true); break;
            case 2: record->Flush(); break;
            case 3: faults.refuse = faults.refuse.empty() ? ((arg & 1) ? ".spool" : ".csv") : ""; break;
            case 4:
                faults.failWrite = arg & 3;
                faults.failWith = kTroubles[(arg >> 2) & 3];
                faults.tear = next + (arg >> 4) * 256u;
                break;
            case 5:
                faults.kill = arg & 3;
                faults.tear = next + (arg >> 2) * 256u;
                break;
            case 6: faults.failRead = arg & 7; break;
            default:
                if (arg == 0) platform.now.day = static_cast<std::uint16_t>(platform.now.day % 28 + 1);
                if (arg == 31) platform.computer = platform.computer == "STATION" ? "RENAMED" : "STATION";
                if (arg != 0) Start();
        }
        if (platform.dead) Start();
        for (const auto& [path, bytes] : platform.files)
            if (path.size() > 6 && path.compare(path.size() - 6, 6, ".spool") == 0)
                for (const std::string& key : Lines(bytes, talven::kRecordColumns + 1)) held.insert(key);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 256) return 0;
    Station station;
    station.Start();
    for (std::size_t i = 0; i < size; ++i) station.Step(data[i], i + 1 < size ? data[i + 1] : 0);
    station.platform.faults = {};
    station.Start();
    Require(station.record->Flush(), "every waiting line is written once nothing fails");
    std::multiset<std::string> written;
    for (const auto& [path, bytes] : station.platform.files)
        if (path.size() > 4 && path.compare(path.size() - 4, 4, ".csv") == 0)
            written.merge(Lines(bytes, talven::kRecordColumns));
    for (const std::string& key : written) Require(written.count(key) == 1, "a line is written twice");
    for (const std::string& key : station.held) Require(written.count(key) > 0, "a line the spool held is lost");
    return 0;
}
