#include <gtest/gtest.h>

#include <QAudioSink>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMediaDevices>
#include <QPointer>
#include <QTextToSpeech>
#include <QTimer>

#include <atomic>
#include <thread>

#include "response/search_beep.h"
#include "response/speech_alert.h"

// These run both without a sound server, where alerts must fail quietly, and against a
// private one with a null sink (tests/with-pulse), where they really play.

namespace glimtap {
namespace {

TEST(AlertsWithoutApplication, StaySilent) {
    EXPECT_FALSE(CSpeechAlert().Speak(u"Started"));
    PlaySearchBeep();
}

// Gives each test an application of its own on this thread, as the program's GUI thread.
class Alerts : public testing::Test {
protected:
    // Not QTest::qWaitFor: it forces deferred deletions out of their turn, which Qt 6.4's
    // PulseAudio sink does not survive. Generous: only a hung engine or sink gets near it.
    template <typename Done>
    static bool RunUntil(Done done) {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&done, &loop] {
            if (done()) loop.quit();
        });
        poll.start(5);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        if (!done()) loop.exec();
        return done();
    }
    // Runs everything queued for the application so far.
    void RunPosted() {
        bool reached = false;
        QMetaObject::invokeMethod(&application_, [&reached] { reached = true; }, Qt::QueuedConnection);
        ASSERT_TRUE(RunUntil([&reached] { return reached; }));
    }
    template <typename T = QTextToSpeech>
    QList<T*> Engines() const {
        return application_.findChildren<T*>();
    }

private:
    int argc_ = 1;
    char name_[13] = "alerts_tests";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication application_{argc_, argv_};
};

TEST_F(Alerts, ASpeakerMadeOnAWorkerLearnsWhatTheEngineCanDoAndIsHeardAfterItIsGone) {
    // The worker makes its speakers on a thread without an event loop and may drop one
    // before the application has handled anything; once it has, both answer alike.
    std::unique_ptr<CSpeechAlert> kept;
    std::thread([&kept] {
        kept = std::make_unique<CSpeechAlert>();
        EXPECT_TRUE(CSpeechAlert().Speak(u"Started"));
    }).join();
    CSpeechAlert windowSpeaker;
    RunPosted();
    EXPECT_EQ(kept->Speak(u"Started"), windowSpeaker.Speak(u"Stopped"));
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        // Nobody can hear it: silent, and no engine is kept.
        EXPECT_FALSE(windowSpeaker.Speak(u"Stopped"));
        EXPECT_TRUE(Engines().isEmpty());
        return;
    }
    if (Engines().isEmpty()) GTEST_SKIP() << "no speech engine can be heard here";
    QTextToSpeech* engine = Engines().front();
    EXPECT_TRUE(RunUntil([engine] { return engine->state() == QTextToSpeech::Speaking; }));
    EXPECT_TRUE(RunUntil([engine] { return engine->state() == QTextToSpeech::Ready; }));
}

TEST_F(Alerts, OneEngineServesSpeakersOnEveryThread) {
    // The speech plug-in breaks when one of two engines is destroyed: never a second.
    CSpeechAlert windowSpeaker;
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&finished] {
            for (int run = 0; run < 20; ++run) CSpeechAlert().Speak(u"Started");
            ++finished;
        });
    }
    qsizetype mostEngines = 0;
    while (finished.load() < 4) {
        windowSpeaker.Speak(u"Stopped");
        QCoreApplication::processEvents();
        mostEngines = std::max(mostEngines, Engines().size());
    }
    for (std::thread& worker : workers) worker.join();
    RunPosted();
    EXPECT_LE(std::max(mostEngines, Engines().size()), 1);
}

TEST_F(Alerts, BeepsFromManyThreadsPlayTheirWholeToneThenEnd) {
    PlaySearchBeep();
    RunPosted();
    const QList<QAudioSink*> sinks = Engines<QAudioSink>();
    if (sinks.isEmpty()) GTEST_SKIP() << "no audio output here";
    const QPointer<QAudioSink> sink = sinks.front();
    qint64 playedUs = 0;
    EXPECT_TRUE(RunUntil([&sink, &playedUs] {
        if (sink.isNull()) return true;
        playedUs = std::max(playedUs, sink->processedUSecs());
        return false;
    }));
    EXPECT_GE(playedUs, 49000);  // all 50 ms reached the sound server before the sink went

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int beep = 0; beep < 25; ++beep) PlaySearchBeep();
        });
    }
    for (std::thread& thread : threads) thread.join();
    RunPosted();
    EXPECT_TRUE(RunUntil([this] { return Engines<QAudioSink>().isEmpty(); }));
}

}  // namespace
}  // namespace glimtap
