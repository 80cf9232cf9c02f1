// SPDX-License-Identifier: GPL-3.0-or-later
// The built program picks its interface language from the user's locale variables and from
// --lang: Traditional Chinese when nothing names a language or when it is Chinese, English for
// any other language.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kStartTimeoutMs = 60000;
constexpr int kExitTimeoutMs = 30000;
constexpr int kUsageError = 2;

const char* const kLocaleVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

// One run of the program in a private home, with only the locale variables a row gives.
class ProgramRun {
  public:
    ProgramRun(const QStringList& variables, const QStringList& arguments) {
        for (const char* sub : {"home", "config", "data", "cache"}) QDir(root_.path()).mkpath(sub);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : kLocaleVariables) env.remove(QString::fromLatin1(name));
        for (const QString& variable : variables) {
            env.insert(variable.section('=', 0, 0), variable.section('=', 1));
        }
        env.insert("HOME", root_.filePath("home"));
        env.insert("XDG_CONFIG_HOME", root_.filePath("config"));
        env.insert("XDG_DATA_HOME", root_.filePath("data"));
        env.insert("XDG_CACHE_HOME", root_.filePath("cache"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_LOGGING_RULES", "pixelary.language.info=true");
        process_.setProcessEnvironment(env);
        process_.setProgram(QStringLiteral(PIXELARY_BIN_DIR "/pixelary"));
        process_.setArguments(arguments);
        process_.setProcessChannelMode(QProcess::MergedChannels);
    }

    QProcess& Process() { return process_; }

    // What the program has printed so far.
    QString Output() {
        output_ += QString::fromUtf8(process_.readAll());
        return output_;
    }

  private:
    QTemporaryDir root_;
    QProcess process_;
    QString output_;
};

}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT

  private slots:
    void LocaleAndOptionChooseTheLanguage_data() {
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("language");
        QTest::newRow("no locale") << QStringList() << QStringList() << "zh_TW";
        QTest::newRow("C locale, LANGUAGE ignored")
            << QStringList{"LANG=C", "LANGUAGE=en"} << QStringList() << "zh_TW";
        QTest::newRow("zh_TW") << QStringList{"LANG=zh_TW.UTF-8"} << QStringList() << "zh_TW";
        QTest::newRow("German") << QStringList{"LANG=de_DE.UTF-8"} << QStringList() << "en";
        QTest::newRow("LANGUAGE before LANG")
            << QStringList{"LANG=zh_TW.UTF-8", "LANGUAGE=en_GB:zh_TW"} << QStringList() << "en";
        QTest::newRow("--lang zh_TW over English")
            << QStringList{"LANG=en_US.UTF-8"} << QStringList{"--lang", "zh_TW"} << "zh_TW";
        QTest::newRow("--lang en over Chinese")
            << QStringList{"LANG=zh_TW.UTF-8"} << QStringList{"--lang=en"} << "en";
    }

    void LocaleAndOptionChooseTheLanguage() {
        QFETCH(QStringList, variables);
        QFETCH(QStringList, arguments);
        QFETCH(QString, language);
        ProgramRun run(variables, arguments);
        run.Process().start();
        QVERIFY(run.Process().waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(run.Output().contains("interface language"), kStartTimeoutMs);
        // The language is chosen before the window exists: the run has told what it needs.
        run.Process().kill();
        QVERIFY(run.Process().waitForFinished(kExitTimeoutMs));
        const QString output = run.Output();
        QVERIFY2(output.contains(QStringLiteral("interface language %1 ").arg(language)),
                 qPrintable(output));
        QVERIFY2(!output.contains("not found"), qPrintable(output));
    }

    void UnknownLanguageOptionIsAUsageError() {
        ProgramRun run({"LANG=zh_TW.UTF-8"}, {"--lang", "fr"});
        run.Process().start();
        QVERIFY(run.Process().waitForFinished(kExitTimeoutMs));
        QCOMPARE(run.Process().exitCode(), kUsageError);
        QVERIFY2(run.Output().contains("--lang takes zh_TW or en"), qPrintable(run.Output()));
        QVERIFY(!run.Output().contains("interface language"));
    }
};

QTEST_GUILESS_MAIN(LanguageTest)
#include "LanguageTest.moc"
