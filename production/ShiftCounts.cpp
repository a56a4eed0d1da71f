#include "production/ShiftCounts.h"

#include <cstdio>

#include "resources/StringTable.h"

namespace talven {

void ModeCounts::Add(RunJudgement judgement) {
    switch (judgement) {
        case RunJudgement::Passed: ++passed; break;
        case RunJudgement::Failed: ++failed; break;
        case RunJudgement::NotJudged: ++notJudged; break;
        case RunJudgement::None: break;
    }
}

namespace {

ModeCounts Merge(const ModeCounts& file, const ModeCounts& saved, const ModeCounts& shown) {
    if (shown.passed < saved.passed || shown.failed < saved.failed || shown.notJudged < saved.notJudged) return shown;
    return {file.passed + (shown.passed - saved.passed), file.failed + (shown.failed - saved.failed),
            file.notJudged + (shown.notJudged - saved.notJudged)};
}

}  // namespace

ShiftCounts MergeCounts(const ShiftCounts& file, const ShiftCounts& saved, const ShiftCounts& shown) {
    return {Merge(file.test, saved.test, shown.test), Merge(file.eeprom, saved.eeprom, shown.eeprom)};
}

std::string CountsText(const ModeCounts& counts) {
    char yield[32] = "-";
    if (counts.Tested() > 0) std::snprintf(yield, sizeof yield, "%.1f %%", 100.0 * counts.passed / counts.Tested());
    char text[256];
    std::snprintf(text, sizeof text, StringText(IDS_SHIFT_COUNTS), counts.Tested(), counts.passed, counts.failed,
                  yield, counts.notJudged);
    return text;
}

std::string CountsResetText(const ModeCounts& counts) {
    char text[256];
    std::snprintf(text, sizeof text, StringText(IDS_COUNTS_RESET), counts.Tested(), counts.passed, counts.failed,
                  counts.notJudged);
    return text;
}

}  // namespace talven
