// One verdict: what the card test or the EEPROM job made of a slot, as its
// row shows it, as the shift's counts judge the reader by it and as the
// record keeps it. A job makes it once; the row, the counts and the record
// only read it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "production/ProductionView.h"
#include "production/ReaderSlot.h"

namespace talven {

// The slots of one reader: a read/write test judges a reader by all four.
inline constexpr std::uint32_t kSlotsOfAReader = 4;

// Result of one card's read/write test.
enum class TestOutcome : std::uint8_t {
    Passed = 0,
    WriteFailed = 1,
    ReadFailed = 2,
    CompareFailed = 3,
    DiskRemoved = 4,  // the file layer reported an error in a write or a read
    Stopped = 5,
};

// What one card's test moved and how long the card took for it: the time of
// the write and flush calls, and of the read calls, alone, in counts of the
// seam's performance counter; the pump, the progress text and the deletions
// are not the card's. A phase is measured only when it ran to its end.
struct TestFigures {
    std::uint64_t bytesWritten = 0;
    std::uint64_t bytesRead = 0;
    std::uint64_t writeTicks = 0;
    std::uint64_t readTicks = 0;
    std::uint64_t ticksPerSecond = 0;
    std::uint64_t totalMs = 0;  // the whole test by GetTickCount64, deletions included
    bool writeMeasured = false;
    bool readMeasured = false;
};

// The record's result word. `Refused`: the settings were refused and nothing
// was tried, so that a settings fault never counts against the readers.
// Reset is no verdict: the line that says when the shift's counts were reset.
// `NotJudged`: a GO that found no reader. `CardFull`: the test card had too
// little free space for the amount to test, the card's fault, not the reader's.
enum class VerdictWord : std::uint8_t { Pass, Fail, Stop, Empty, Refused, Reset, NotJudged, CardFull };

// "pass", "fail", "stop", "empty", "refused", "reset", "not judged", "card
// full": the word as the record writes it, and back from a record's text
// (false for no such word).
const char* VerdictWordText(VerdictWord word);
bool ParseVerdictWord(std::string_view text, VerdictWord& word);

// What a row shows of a verdict: its text's string-table id and its icon
// (RowIcon), with the record's word for it.
struct VerdictFace {
    unsigned text;
    int icon;
    VerdictWord word;
};

// The card test's outcome as its row shows it; a pass slower than the
// lowest speed is "Speed too low".
VerdictFace CardTestFace(TestOutcome outcome, bool tooSlow);
// The EEPROM job's: written and read back, or not; a reader the settings or
// the serials kept from writing is refused, no fault of the reader's.
VerdictFace EepromFace(bool programmed, bool refused);
VerdictFace EmptySlotFace();  // no card in a slot
VerdictFace StopFace();       // the operator stopped the test
VerdictFace NoReaderFace();   // a GO that found no reader
VerdictFace CardFullFace();   // less than the amount to test could be written

struct Verdict {
    // Whose it is: the slot's number (0: a verdict of no slot, a GO that
    // found no reader) and what discovery knew of the slot.
    std::uint32_t slot = 0;
    std::string chip;  // the chip text as the status line shows it
    std::string drive;
    std::string product;
    // The GO's: its mode's name as GO's tip shows it, and its record run.
    std::string mode;
    std::uint32_t run = 0;
    // As the row shows it.
    std::string text;  // exactly as shown
    int icon = kRowFailed;
    VerdictWord word = VerdictWord::Fail;
    std::optional<TestFigures> figures;  // the read/write test's
    // The EEPROM job's, from the image it wrote.
    std::string vendorId;
    std::string productId;
    std::string serial;
    std::string checksum;
    // What the status line said of the settings the run went on with, or
    // why it refused them.
    std::string warning;
    std::string lot;  // the line's work order or lot, as the settings name it
};

// The verdict of `face` for `slot` (none: no reader), its text from the
// view's string table.
Verdict MakeVerdict(const ProductionView& view, const VerdictFace& face, const ReaderSlot* slot);

// What one GO makes of the shift's counts.
enum class RunJudgement : std::uint8_t {
    None,       // nothing was shown: not counted
    Passed,     // the reader passed: every slot, or its EEPROM written and read back
    Failed,     // the reader failed its test
    NotJudged,  // a verdict was shown but no reader judged: a stop, an empty slot, no reader
};

// The job of a GO whose verdicts judge a reader.
enum class GoJob : std::uint8_t {
    None,          // discovery alone: its empty slots or no reader judge none
    TestSequence,  // the read/write test over a reader's four slots
    Eeprom,        // the reader's EEPROM written and read back
};

// The reader-level rule, for the station's counts and for whatever reads
// the record back: the result words of one reader's verdicts in one GO, in
// their order, and the job that made them. A fail fails the reader; it
// passes only when every verdict is a pass, one for each slot the job
// judges: two readers' slots never add up to one reader.
RunJudgement JudgeReader(std::span<const VerdictWord> words, GoJob job);

// The words of one GO as its verdicts come, judged by the rule above.
class RunTally {
public:
    void Start(GoJob goJob) { job = goJob; }
    void Add(VerdictWord word) { words.push_back(word); }
    RunJudgement Judgement() const { return JudgeReader(words, job); }

private:
    GoJob job = GoJob::None;
    std::vector<VerdictWord> words;
};

}  // namespace talven
