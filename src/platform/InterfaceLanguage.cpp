// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/InterfaceLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QPointer>
#include <QString>
#include <QTranslator>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

#include "platform/DataFolders.h"

namespace pixelary::platform {
namespace {

Q_LOGGING_CATEGORY(lcLanguage, "pixelary.language", QtWarningMsg)

constexpr char kTranslationFolder[] = "translations";
constexpr char kTranslationPrefix[] = "pixelary_";

std::string g_language = kChineseInterface;
// Owned by the application object; replaced when another language is installed.
QPointer<QTranslator> g_translator;
QPointer<QTranslator> g_qtTranslator;  // Qt's own texts

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The language part of a locale name: "zh" of "zh_TW.UTF-8@latin", lower case.
std::string LanguagePart(const std::string& name) {
    std::string part = name.substr(0, name.find_first_of("_-.@"));
    for (char& c : part) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return part;
}

// True for a locale that states no language: gettext treats these as "do not translate".
bool NamesNoLanguage(const std::string& locale) {
    const std::string part = LanguagePart(locale);
    return part.empty() || part == "c" || part == "posix";
}

std::string MessagesLocale(const LanguageEnvironment& environment) {
    for (const std::string* value :
         {&environment.LcAll, &environment.LcMessages, &environment.Lang}) {
        if (!value->empty()) return *value;
    }
    return {};
}

// Qt's own texts (the standard buttons' Yes and No, the file dialog) in the interface language,
// from the Qt translations the system has; without them they stay in English, their source.
void InstallQtTexts(const std::string& language) {
    if (g_qtTranslator) {
        QCoreApplication::removeTranslator(g_qtTranslator);
        delete g_qtTranslator;
    }
    if (language == kEnglishInterface || !QCoreApplication::instance()) return;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QString file = QStringLiteral("qtbase_") + QString::fromStdString(language);
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(file, folder)) {
        qCInfo(lcLanguage) << "Qt's texts stay English:" << file << "not found in" << folder;
        return;
    }
    QCoreApplication::installTranslator(translator.get());
    g_qtTranslator = translator.release();
}

}  // namespace

LanguageEnvironment LanguageEnvironment::FromProcess() {
    return {Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG")};
}

std::optional<std::string> InterfaceLanguageFor(const std::string& name) {
    const std::string part = LanguagePart(name);
    if (part == "zh") return std::string(kChineseInterface);
    if (part == "en") return std::string(kEnglishInterface);
    return std::nullopt;
}

std::string ChooseInterfaceLanguage(const LanguageEnvironment& environment) {
    const std::string locale = MessagesLocale(environment);
    if (NamesNoLanguage(locale)) return kChineseInterface;
    std::size_t start = 0;
    while (start < environment.Language.size()) {
        const std::size_t end =
            std::min(environment.Language.find(':', start), environment.Language.size());
        const std::string entry = environment.Language.substr(start, end - start);
        if (auto language = InterfaceLanguageFor(entry)) return *language;
        start = end + 1;
    }
    // A LANGUAGE list without Chinese or English still says the user reads another language.
    if (!environment.Language.empty()) return kEnglishInterface;
    return InterfaceLanguageFor(locale).value_or(kEnglishInterface);
}

bool InstallInterfaceLanguage(const std::string& language) {
    g_language = language;
    const QLocale interfaceLocale(QString::fromStdString(language));
    // Month names, AM/PM and MIME type names follow the interface rather than a system locale
    // of another language; a system locale of the same language keeps the user's formats.
    const bool sameLanguage = QLocale::system().language() == interfaceLocale.language();
    QLocale::setDefault(sameLanguage ? QLocale::system() : interfaceLocale);
    if (g_translator) {
        QCoreApplication::removeTranslator(g_translator);
        delete g_translator;
    }
    InstallQtTexts(language);
    if (language == kChineseInterface) {
        qCInfo(lcLanguage) << "interface language" << language.c_str()
                           << "(the program's own texts)";
        return true;
    }
    if (!QCoreApplication::instance()) return false;
    const QString folder = QString::fromStdString(ShippedDataFolder(kTranslationFolder));
    const QString file = QLatin1String(kTranslationPrefix) + QString::fromStdString(language);
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(file, folder)) {
        qCWarning(lcLanguage) << "translation" << file << "not found in" << folder;
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    qCInfo(lcLanguage) << "interface language" << language.c_str() << "from"
                       << translator->filePath();
    g_translator = translator.release();
    return true;
}

const std::string& InterfaceLanguage() {
    return g_language;
}

}  // namespace pixelary::platform
