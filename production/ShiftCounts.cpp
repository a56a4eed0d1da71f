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
