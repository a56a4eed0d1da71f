#include "production/Verdict.h"

#include <algorithm>
#include <iterator>

#include "resources/StringTable.h"

namespace talven {

namespace {

constexpr const char* kWordTexts[] = {"pass", "fail", "stop", "empty", "refused", "reset"};
static_assert(std::size(kWordTexts) == static_cast<std::size_t>(VerdictWord::Reset) + 1);

}  // namespace

const char* VerdictWordText(VerdictWord word) {
    const auto index = static_cast<std::size_t>(word);
    return index < std::size(kWordTexts) ? kWordTexts[index] : "fail";
}

bool ParseVerdictWord(std::string_view text, VerdictWord& word) {
    const auto found = std::find(std::begin(kWordTexts), std::end(kWordTexts), text);
    if (found == std::end(kWordTexts)) return false;
    word = static_cast<VerdictWord>(found - std::begin(kWordTexts));
    return true;
}

VerdictFace CardTestFace(TestOutcome outcome, bool tooSlow) {
    if (outcome == TestOutcome::Passed && tooSlow) return {IDS_SPEED_TOO_LOW, kRowFailed, VerdictWord::Fail};
    switch (outcome) {
        case TestOutcome::Passed: return {IDS_TEST_SUCCESS, kRowPassed, VerdictWord::Pass};
        case TestOutcome::WriteFailed: return {IDS_WRITE_FAILURE, kRowFailed, VerdictWord::Fail};
        case TestOutcome::ReadFailed: return {IDS_READ_FAILURE, kRowFailed, VerdictWord::Fail};
        case TestOutcome::CompareFailed: return {IDS_COMPARE_FAILURE, kRowFailed, VerdictWord::Fail};
        case TestOutcome::DiskRemoved: return {IDS_DISK_REMOVED, kRowFailed, VerdictWord::Fail};
        case TestOutcome::Stopped: return StopFace();
    }
    return {IDS_WRITE_FAILURE, kRowFailed, VerdictWord::Fail};
}

VerdictFace EepromFace(bool programmed, bool refused) {
    if (refused) return {IDS_EEPROM_UNSUCCESS, kRowFailed, VerdictWord::Refused};
    if (programmed) return {IDS_EEPROM_SUCCESS, kRowPassed, VerdictWord::Pass};
    return {IDS_EEPROM_UNSUCCESS, kRowFailed, VerdictWord::Fail};
}

VerdictFace EmptySlotFace() { return {IDS_INSERT_CARD, kRowFailed, VerdictWord::Empty}; }
VerdictFace StopFace() { return {IDS_TEST_STOP, kRowStopped, VerdictWord::Stop}; }
VerdictFace NoReaderFace() { return {IDS_NO_READER, kRowFailed, VerdictWord::Fail}; }

Verdict MakeVerdict(const ProductionView& view, const VerdictFace& face, const ReaderSlot* slot) {
    Verdict verdict;
    if (slot != nullptr) {
        verdict.slot = slot->number;
        verdict.chip = slot->chip;
        verdict.drive = slot->drive;
        verdict.product = slot->product;
    }
    verdict.text = view.LoadText(face.text);
    verdict.icon = face.icon;
    verdict.word = face.word;
    return verdict;
}

RunJudgement JudgeReader(std::span<const VerdictWord> words, GoJob job) {
    if (words.empty()) return RunJudgement::None;
    if (job == GoJob::None) return RunJudgement::NotJudged;
    if (std::find(words.begin(), words.end(), VerdictWord::Fail) != words.end()) return RunJudgement::Failed;
    const auto passes = static_cast<std::uint32_t>(std::count(words.begin(), words.end(), VerdictWord::Pass));
    const std::uint32_t judged = job == GoJob::TestSequence ? kSlotsOfAReader : 1;
    return passes == judged ? RunJudgement::Passed : RunJudgement::NotJudged;
}

}  // namespace talven
