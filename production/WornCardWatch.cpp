#include "production/WornCardWatch.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "resources/StringTable.h"

namespace talven {

char SlotPosition(std::string_view drive) {
    if (drive.empty() || (drive.size() > 1 && drive[1] != ':')) return 0;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
    return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

bool SlotSuspect(std::uint32_t failuresInARow, std::uint32_t suspectAfter) {
    return suspectAfter != 0 && failuresInARow >= suspectAfter;
}

std::uint32_t SuspectAfter(const SettingsSnapshot& settings) {
    if (!settings.RefusalText(kSuspectAfterKey).empty())
        return static_cast<std::uint32_t>(kSuspectAfterKey.NumberDefault());
    return settings.Number(kSuspectAfterKey);
}

std::size_t SlotStreaks::Index(char position) {
    return position >= 'A' && position <= 'Z' ? static_cast<std::size_t>(position - 'A') : 0;
}

void SlotStreaks::Passed(char position) { inARow[Index(position)] = 0; }

void SlotStreaks::Failed(char position) {
    const std::size_t at = Index(position);
    longest[at] = std::max(longest[at], ++inARow[at]);
}

std::uint32_t SlotStreaks::InARow(char position) const { return inARow[Index(position)]; }

std::uint32_t SlotStreaks::Longest(char position) const { return longest[Index(position)]; }

void WornCardWatch::Add(const Verdict& verdict) {
    const char position = SlotPosition(verdict.drive);
    if (position != 0 && (verdict.word == VerdictWord::Pass || verdict.word == VerdictWord::Fail))
        reader.emplace_back(position, verdict.word);
}

void WornCardWatch::EndReader(RunJudgement judgement) {
    if (judgement == RunJudgement::Passed || judgement == RunJudgement::Failed) {
        for (const auto& [position, word] : reader) {
            if (word == VerdictWord::Pass)
                streaks.Passed(position);
            else
                streaks.Failed(position);
        }
    }
    reader.clear();
}

std::string WornCardWatch::WarningText(std::uint32_t suspectAfter) const {
    std::string text;
    for (char position = 'A'; position <= 'Z'; ++position) {
        const std::uint32_t inARow = streaks.InARow(position);
        if (!SlotSuspect(inARow, suspectAfter)) continue;
        char line[256];
        std::snprintf(line, sizeof line, StringText(IDS_SLOT_SUSPECT), position, inARow, position);
        text += (text.empty() ? "" : "   ") + std::string(line);
    }
    return text;
}

}  // namespace talven
