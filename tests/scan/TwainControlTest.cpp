// SPDX-License-Identifier: GPL-3.0-or-later
// The TWAIN session against the scripted manager: buffer sizes, row layout, refusals, closing.
#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>
#include <vector>

#include "scan/ScanTestSupport.h"
#include "scan/TWAINControl.h"

using namespace pixelary;
using namespace twain;

namespace {

struct ErrorRecord {
    QString caption;
    QString text;
};
std::vector<ErrorRecord> errors;

// What the callbacks received.
struct Received {
    int created = 0;
    int discarded = 0;
    int width = 0, height = 0, bitsPerPixel = 0, colourModel = -1;
    std::vector<std::uint8_t> palette;
    std::vector<std::vector<std::uint8_t>> rows;
    std::size_t rowLength = 0;
};

}  // namespace

class TwainControlTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir home_;
    QWidget parent_;
    Received got_;

    std::unique_ptr<TWAINControl> MakeSession(const char* manager = kScriptedManagerName) {
        auto session = std::make_unique<TWAINControl>(&parent_, QStringLiteral("Glimmora"),
                                                      QStringLiteral("Norvanti"));
        session->ManagerName = manager;
        return session;
    }

    bool Acquire(TWAINControl& session) {
        got_ = Received{};
        return session.Acquire(
            true,
            [this](int width, int height, int bits, int model, int, int, const std::uint8_t* pal) {
                ++got_.created;
                got_.width = width;
                got_.height = height;
                got_.bitsPerPixel = bits;
                got_.colourModel = model;
                got_.palette.assign(pal, pal + TWAINControl::kPaletteBytes);
                got_.rowLength = (static_cast<std::size_t>(width) * bits + 7) / 8;
                return 1;
            },
            [this](int row, const std::uint8_t* data) {
                if (row != static_cast<int>(got_.rows.size())) return false;
                got_.rows.emplace_back(data, data + got_.rowLength);
                return true;
            },
            [this] { ++got_.discarded; });
    }

    int Deliver(TWAINControl& session, std::uint16_t notification) {
        Script().notification = notification;
        QEvent message(QEvent::User);
        return session.ProcessMessage(&message);
    }

  private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        UsePrivateHome(home_);
        TWAINControl::SetErrorSink([](const QString& caption, const QString& text) {
            errors.push_back({caption, text});
        });
    }

    void init() { errors.clear(); }

    void bufferSizeFollowsTheSourcesMaximum_data() {
        QTest::addColumn<quint32>("reported");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("none reported") << 0u << 32768u;
        QTest::newRow("one MiB") << 1048576u << 65536u;
        QTest::newRow("small") << 4096u << 4096u;
    }

    void bufferSizeFollowsTheSourcesMaximum() {
        QFETCH(quint32, reported);
        QFETCH(quint32, expected);
        ScriptImage(40, 300, 8, 1, TWPT_GRAY, 40);
        Script().maxBufSize = reported;
        auto session = MakeSession();
        QVERIFY(Acquire(*session));
        QCOMPARE(Deliver(*session, MSG_XFERREADY), int(kTwainImageDone));
        QCOMPARE(Script().bufferLength, expected);
        QCOMPARE(Script().memoryFlags, TWMF_APPOWNS | TWMF_POINTER);
        QCOMPARE(got_.rows.size(), std::size_t(300));
        QCOMPARE(Script().endXfer, 1);
        // A grey image gets the 256-entry grey palette (blue, green, red, 0).
        QCOMPARE(got_.colourModel, int(kTwainIndexed));
        QCOMPARE(got_.palette[200 * 4 + 0], std::uint8_t(200));
        QCOMPARE(got_.palette[200 * 4 + 2], std::uint8_t(200));
        QCOMPARE(got_.palette[200 * 4 + 3], std::uint8_t(0));
        QVERIFY(errors.empty());
    }

    void rgbRowsArePaddedAndSwapped() {
        ScriptImage(101, 5, 24, 3, TWPT_RGB, 304);
        auto session = MakeSession();
        QVERIFY(Acquire(*session));
        QCOMPARE(Deliver(*session, MSG_XFERREADY), int(kTwainImageDone));
        QCOMPARE(Script().bytesPerRowAsked, 304u);
        QCOMPARE(got_.colourModel, int(kTwainRgb));
        QCOMPARE(got_.rows.size(), std::size_t(5));
        const std::vector<std::uint8_t>& source = Script().image;
        for (std::size_t y = 0; y < 5; ++y) {
            const std::uint8_t* in = source.data() + y * 304;
            for (std::size_t x = 0; x < 101; ++x) {
                QCOMPARE(got_.rows[y][x * 3 + 0], in[x * 3 + 2]);
                QCOMPARE(got_.rows[y][x * 3 + 1], in[x * 3 + 1]);
                QCOMPARE(got_.rows[y][x * 3 + 2], in[x * 3 + 0]);
            }
        }
    }

    void sixteenBitGreyIsRefused() {
        ScriptImage(10, 4, 16, 1, TWPT_GRAY, 20);
        auto session = MakeSession();
        QVERIFY(Acquire(*session));
        QCOMPARE(Deliver(*session, MSG_XFERREADY), int(kTwainXferFailed));
        QCOMPARE(errors.size(), std::size_t(1));
        QCOMPARE(errors[0].text, QStringLiteral("Mode not available"));
        QCOMPARE(errors[0].caption, QStringLiteral("Glimmora"));
        QCOMPARE(got_.created, 0);
        QCOMPARE(got_.discarded, 1);
    }

    void unknownPixelTypeIsRefused() {
        ScriptImage(10, 4, 8, 1, 9, 12);
        auto session = MakeSession();
        QVERIFY(Acquire(*session));
        QCOMPARE(Deliver(*session, MSG_XFERREADY), int(kTwainXferFailed));
        QCOMPARE(errors.size(), std::size_t(1));
        QCOMPARE(errors[0].text, QStringLiteral("Color mode not available"));
    }

    void rowsBeyondTheBufferFailTheTransfer() {
        // The source claims more rows of its wide stride than the buffer it was given holds.
        ScriptImage(10, 4, 8, 1, TWPT_GRAY, 4000);
        Script().maxBufSize = 4096;
        Script().extraRows = 3;
        auto session = MakeSession();
        QVERIFY(Acquire(*session));
        QCOMPARE(Deliver(*session, MSG_XFERREADY), int(kTwainXferFailed));
        QCOMPARE(got_.discarded, 1);
    }

    void closeRequestClosesEverything() {
        ScriptImage(10, 4, 8, 1, TWPT_GRAY, 12);
        auto session = MakeSession();
        QVERIFY(Acquire(*session));
        QVERIFY(session->IsSourceEnabled());
        QCOMPARE(Deliver(*session, MSG_CLOSEDSREQ), int(kTwainSourceClosed));
        QVERIFY(!session->IsSourceEnabled());
        QVERIFY(!session->IsSourceOpen());
        QVERIFY(!session->IsManagerOpen());
        QVERIFY(!session->IsLibraryLoaded());
        QCOMPARE(Script().disableDs, 1);
        QCOMPARE(Script().closeDs, 1);
        QCOMPARE(Script().closeDsm, 1);
        QVERIFY(!Script().managerOpen && !Script().sourceOpen);
        // Nothing is open any more, so later messages are not TWAIN events.
        QCOMPARE(Deliver(*session, MSG_XFERREADY), int(kTwainNotEvent));
    }

    void otherMessagesAreNotEvents() {
        ScriptImage(10, 4, 8, 1, TWPT_GRAY, 12);
        auto session = MakeSession();
        QVERIFY(Acquire(*session));
        QCOMPARE(Deliver(*session, MSG_NULL), int(kTwainNotEvent));
        QCOMPARE(got_.created, 0);
    }

    void refusedManagerShowsItsError() {
        ScriptImage(10, 4, 8, 1, TWPT_GRAY, 12);
        Script().refuseOpenDsm = true;
        auto session = MakeSession();
        QVERIFY(!Acquire(*session));
        QCOMPARE(errors.size(), std::size_t(1));
        QCOMPARE(errors[0].text, QStringLiteral("Open DSM error"));
    }

    void missingManagerDoesNothingVisible() {
        auto session = MakeSession("pixtwain_absent.so");
        session->SelectSource();
        QVERIFY(!Acquire(*session));
        QVERIFY(errors.empty());
        QVERIFY(!session->IsLibraryLoaded());
        for (QWidget* window : QApplication::topLevelWidgets()) QVERIFY(!window->isVisible());
    }

    void destructionClosesWhatIsOpen() {
        ScriptImage(10, 4, 8, 1, TWPT_GRAY, 12);
        {
            auto session = MakeSession();
            QVERIFY(Acquire(*session));
        }
        QCOMPARE(Script().disableDs, 1);
        QCOMPARE(Script().closeDs, 1);
        QCOMPARE(Script().closeDsm, 1);
    }
};

QTEST_MAIN(TwainControlTest)
#include "TwainControlTest.moc"
