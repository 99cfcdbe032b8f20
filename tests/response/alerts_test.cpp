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

// Run without a sound server, where alerts must fail quietly, and against a private one with a
// null sink (tests/with-pulse), where they really play.
namespace glimtap {
namespace {

TEST(AlertsWithoutApplication, StaySilent) {
    EXPECT_FALSE(CSpeechAlert().Speak(u"Started"));
    PlaySearchBeep();
}

class Alerts : public testing::Test {
protected:
    // Not QTest::qWaitFor: it forces deferred deletions out of their turn, which Qt 6.4's
    // PulseAudio sink does not survive. Generous: only a hung engine or sink gets near it.
    template <typename Done>
    static bool RunUntil(Done done) {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&done, &loop] { if (done()) loop.quit(); });
        poll.start(5);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        if (!done()) loop.exec();
        return done();
    }
    void RunPosted() {
        bool reached = false;
        QMetaObject::invokeMethod(&application_, [&reached] { reached = true; }, Qt::QueuedConnection);
        ASSERT_TRUE(RunUntil([&reached] { return reached; }));
    }
    template <typename T = QTextToSpeech>
    QList<T*> Engines() const { return application_.findChildren<T*>(); }

private:
    int argc_ = 1;
    char name_[13] = "alerts_tests";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication application_{argc_, argv_};
};

// Workers make speakers on threads without an event loop; they learn what the one engine can
// do (the speech plug-in breaks when one of two engines is destroyed) and are heard once gone.
TEST_F(Alerts, OneEngineServesSpeakersOnEveryThread) {
    std::unique_ptr<CSpeechAlert> kept;
    std::thread([&kept] { kept = std::make_unique<CSpeechAlert>(); }).join();
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
    EXPECT_EQ(kept->Speak(u"Started"), windowSpeaker.Speak(u"Stopped"));
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        EXPECT_FALSE(windowSpeaker.Speak(u"Stopped"));  // nobody can hear it
        EXPECT_TRUE(Engines().isEmpty());
    } else if (!Engines().isEmpty()) {
        QTextToSpeech* engine = Engines().front();
        EXPECT_TRUE(RunUntil([engine] { return engine->state() == QTextToSpeech::Speaking; }));
        EXPECT_TRUE(RunUntil([engine] { return engine->state() == QTextToSpeech::Ready; }));
    }
}

TEST_F(Alerts, BeepsFromManyThreadsPlayTheirWholeToneThenEnd) {
    PlaySearchBeep();
    RunPosted();
    if (Engines<QAudioSink>().isEmpty()) GTEST_SKIP() << "no audio output here";
    const QPointer<QAudioSink> sink = Engines<QAudioSink>().front();
    qint64 playedUs = 0;
    EXPECT_TRUE(RunUntil([&sink, &playedUs] {
        if (sink.isNull()) return true;
        playedUs = std::max(playedUs, sink->processedUSecs());
        return false;
    }));
    EXPECT_GE(playedUs, 49000);  // all 50 ms reached the sound server before the sink went
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back([] { for (int beep = 0; beep < 25; ++beep) PlaySearchBeep(); });
    for (std::thread& thread : threads) thread.join();
    RunPosted();
    EXPECT_TRUE(RunUntil([this] { return Engines<QAudioSink>().isEmpty(); }));
}

}  // namespace
}  // namespace glimtap
