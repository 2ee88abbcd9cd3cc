// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/messages.h"

namespace ostrelo::i18n {

std::string fill(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string filled;
    filled.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%' && at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9') {
            const auto index = static_cast<std::size_t>(text[at + 1] - '1');
            if (index < values.size()) {
                filled += values.begin()[index];
                ++at;
                continue;
            }
        }
        filled += text[at];
    }
    return filled;
}

std::string describe(const core::FileProblem &problem, const Texts &t) {
    using enum core::FileProblem::Cause;
    const auto refused = [&](std::string_view why) {
        return fill(t.TextFileRefused, {problem.path, why});
    };
    const std::string &system = problem.systemText;
    switch (problem.cause) {
    case None:
        return {};
    case Unchecked:
        return refused(system);
    case Folder:
        return refused(t.TextFileFolder);
    case Fifo:
        return refused(t.TextFileFifo);
    case Device:
        return refused(t.TextFileDevice);
    case Socket:
        return refused(t.TextFileSocket);
    case NotRegular:
        return refused(t.TextFileNotRegular);
    case CannotRead:
        return refused(fill(t.TextFileCannotRead, {system}));
    case MayNotWrite:
        return refused(fill(t.TextFileMayNotWrite, {system}));
    case ReadOnly:
        return refused(t.TextFileReadOnly);
    case LinkIntoMissingFolder:
        return refused(fill(t.TextFileLinkNowhere, {problem.other}));
    case MayNotWriteInFolder:
        return refused(fill(t.TextFileFolderClosed, {problem.other, system}));
    case CannotOpenForWriting:
        return refused(fill(t.TextFileCannotOpen, {system}));
    case CannotWrite:
        return refused(fill(t.TextFileCannotWrite, {system}));
    case CannotMakeCopy:
        return refused(fill(t.TextFileCannotCopy, {system}));
    case CannotReplace:
        return refused(fill(t.TextFileCannotReplace, {system}));
    case NotText:
        return refused(t.TextFileNotText);
    case NotEmpty:
        return refused(t.TextFileNotEmpty);
    case Missing:
        return fill(t.TextFileMissing, {problem.path});
    }
    return {};
}

namespace {

const std::string &ruleText(core::SettingRule rule, const Texts &t) {
    using enum core::SettingRule;
    switch (rule) {
    case Number:
        return t.TextRuleNumber;
    case Flag:
        return t.TextRuleFlag;
    case Range:
        return t.TextRuleRange;
    case ScanTime:
        return t.TextRuleScanTime;
    case ConnectionMode:
        return t.TextRuleConnection;
    case Units:
        return t.TextRuleUnits;
    case Port:
        return t.TextRulePort;
    case Address:
        return t.TextRuleAddress;
    case ListenAddress:
        return t.TextRuleListenAddress;
    case Colour:
        return t.TextRuleColour;
    case Language:
        return t.TextRuleLanguage;
    }
    return t.TextRuleNumber;
}

} // namespace

std::string describe(const core::SettingProblem &problem, const std::string &iniPath,
                     const Texts &t) {
    return fill(t.TextSettingProblem, {iniPath, problem.section, problem.key, problem.storedText,
                                       ruleText(problem.rule, t), problem.replacement});
}

} // namespace ostrelo::i18n
