// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace pixelary::platform {

// The interface languages: the program's own texts are Traditional Chinese; English comes from
// a translation file shipped beside the program.
inline constexpr char kChineseInterface[] = "zh_TW";
inline constexpr char kEnglishInterface[] = "en";

// The variables that say which language a user reads, as gettext consults them.
struct LanguageEnvironment {
    std::string Language;    // LANGUAGE: a colon-separated list of preferences
    std::string LcAll;       // LC_ALL
    std::string LcMessages;  // LC_MESSAGES
    std::string Lang;        // LANG

    // The running process's variables.
    static LanguageEnvironment FromProcess();
};

// The interface language a locale or language name ("zh_HK.UTF-8", "en-GB", "zh") asks for:
// any Chinese gives Traditional Chinese, any English gives English, anything else nothing.
std::optional<std::string> InterfaceLanguageFor(const std::string& name);

// The interface language for a user: the first Chinese or English entry of LANGUAGE, else the
// locale of LC_ALL, LC_MESSAGES or LANG (the first one set). A locale that names no language
// (unset, "C", "POSIX") keeps the default, Traditional Chinese, and, as with gettext, makes
// LANGUAGE count for nothing; any other language than Chinese gets English.
std::string ChooseInterfaceLanguage(const LanguageEnvironment& environment);

// Makes `language` the interface language of the process: the translation installed in the
// application (which must exist), dates and type names in that language when the system's
// locale speaks another. False, with a warning, when the translation file cannot be loaded;
// the texts then stay the program's own.
bool InstallInterfaceLanguage(const std::string& language);

// The interface language in use: Traditional Chinese until another is installed.
const std::string& InterfaceLanguage();

}  // namespace pixelary::platform
