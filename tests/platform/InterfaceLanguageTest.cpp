// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>

#include "platform/InterfaceLanguage.h"

namespace pixelary::platform {
namespace {

constexpr char kZh[] = "zh_TW";
constexpr char kEn[] = "en";

LanguageEnvironment Env(std::string language, std::string lcAll, std::string lcMessages,
                        std::string lang) {
    return {std::move(language), std::move(lcAll), std::move(lcMessages), std::move(lang)};
}

TEST(InterfaceLanguageTest, LocaleVariablesDecideInGettextOrder) {
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "", "", "zh_TW.UTF-8")), kZh);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "", "", "en_US.UTF-8")), kEn);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "", "", "de_DE.UTF-8")), kEn);
    // Simplified Chinese and Hong Kong readers read the Chinese interface rather than English.
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "", "", "zh_CN.GB18030")), kZh);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "", "", "zh_HK")), kZh);
    // LC_ALL outranks LC_MESSAGES, which outranks LANG.
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "en_GB.UTF-8", "zh_TW.UTF-8", "zh_TW.UTF-8")), kEn);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "", "en_GB.UTF-8", "zh_TW.UTF-8")), kEn);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "zh_TW.UTF-8", "en_GB.UTF-8", "en_US")), kZh);
}

TEST(InterfaceLanguageTest, LanguageListComesFirstAndIsWalkedInOrder) {
    EXPECT_EQ(ChooseInterfaceLanguage(Env("en", "", "", "zh_TW.UTF-8")), kEn);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("zh_TW:en", "", "", "en_US.UTF-8")), kZh);
    // Languages without a translation are passed over.
    EXPECT_EQ(ChooseInterfaceLanguage(Env("fr:de:zh_TW:en", "", "", "en_US.UTF-8")), kZh);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("fr::en_GB", "", "", "zh_TW.UTF-8")), kEn);
    // A list naming only other languages still says the reader does not read Chinese.
    EXPECT_EQ(ChooseInterfaceLanguage(Env("fr:de", "", "", "zh_TW.UTF-8")), kEn);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("en", "zh_TW.UTF-8", "", "")), kEn);
}

TEST(InterfaceLanguageTest, NoLocaleKeepsTheDefaultAndIgnoresTheList) {
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "", "", "")), kZh);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "", "", "C")), kZh);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("", "POSIX", "", "en_US.UTF-8")), kZh);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("en", "", "", "C.UTF-8")), kZh);
    EXPECT_EQ(ChooseInterfaceLanguage(Env("en", "", "", "")), kZh);
}

TEST(InterfaceLanguageTest, OptionValuesNameAnInterfaceLanguage) {
    EXPECT_EQ(InterfaceLanguageFor("zh_TW"), kZh);
    EXPECT_EQ(InterfaceLanguageFor("zh-Hant-TW"), kZh);
    EXPECT_EQ(InterfaceLanguageFor("en"), kEn);
    EXPECT_EQ(InterfaceLanguageFor("EN_us.utf8"), kEn);
    EXPECT_EQ(InterfaceLanguageFor("fr"), std::nullopt);
    EXPECT_EQ(InterfaceLanguageFor(""), std::nullopt);
    EXPECT_EQ(InterfaceLanguageFor("english"), std::nullopt);
}

TEST(InterfaceLanguageTest, InstallingEnglishLoadsTheShippedTranslation) {
    ASSERT_TRUE(InstallInterfaceLanguage(kEn));
    EXPECT_EQ(InterfaceLanguage(), kEn);
    EXPECT_EQ(QCoreApplication::translate("Strings", "錯誤"), QStringLiteral("Error"));
    EXPECT_EQ(QLocale().language(), QLocale::English);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
    ASSERT_TRUE(InstallInterfaceLanguage(kZh));
    EXPECT_EQ(InterfaceLanguage(), kZh);
    EXPECT_EQ(QCoreApplication::translate("Strings", "錯誤"), QStringLiteral("錯誤"));
    // Qt's standard buttons speak Chinese too (scripts/deps.sh installs Qt's translations).
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("是(&Y)"));
    ASSERT_TRUE(InstallInterfaceLanguage(kEn));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
    ASSERT_TRUE(InstallInterfaceLanguage(kZh));
    QLocale::setDefault(QLocale::system());
}

}  // namespace
}  // namespace pixelary::platform
