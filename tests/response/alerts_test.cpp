#include <gtest/gtest.h>

#include <QAudioSink>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMediaDevices>
#include <QPointer>
#include <QTextToSpeech>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "response/search_beep.h"
#include "response/speech_alert.h"

// These run both without a sound server, where alerts must fail quietly, and against a
// private one with a null sink (tests/with-pulse), where they really play.

namespace glimtap {
namespace {

// Generous: only a hung engine or sink gets near it.
constexpr int kSettleMs = 30000;

TEST(AlertsWithoutApplication, StaySilent) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    CSpeechAlert speaker;
    EXPECT_FALSE(speaker.Speak(u"Started"));
    PlaySearchBeep();
}

// Gives each test an application of its own on this thread, as the program's GUI thread.
class Alerts : public testing::Test {
protected:
    // Runs the application's event loop, as the program does, until `done` or a deadline.
    // Not QTest::qWaitFor: it forces deferred deletions out of their turn, which Qt 6.4's
    // PulseAudio sink does not survive.
    template <typename Done>
    static bool RunUntil(Done done) {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&done, &loop] {
            if (done()) loop.quit();
        });
        poll.start(5);
        QTimer::singleShot(kSettleMs, &loop, &QEventLoop::quit);
        if (!done()) loop.exec();
        return done();
    }

    // Runs everything queued for the application so far.
    void RunPosted() {
        bool reached = false;
        QMetaObject::invokeMethod(&application_, [&reached] { reached = true; },
                                  Qt::QueuedConnection);
        ASSERT_TRUE(RunUntil([&reached] { return reached; }));
    }

    QList<QTextToSpeech*> Engines() const { return Children<QTextToSpeech>(); }

    template <typename T>
    QList<T*> Children() const {
        return application_.findChildren<T*>();
    }

    bool BeepsEnded() const { return Children<QAudioSink>().isEmpty(); }

private:
    int argc_ = 1;
    char name_[13] = "alerts_tests";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication application_{argc_, argv_};
};

TEST_F(Alerts, EmptyTextIsNeverSpoken) {
    CSpeechAlert speaker;
    EXPECT_FALSE(speaker.Speak(u""));
    RunPosted();
    EXPECT_FALSE(speaker.Speak(u""));
}

TEST_F(Alerts, SpeakerBuiltOnAWorkerLearnsWhatTheEngineCanDo) {
    // The worker builds its speaker on a thread without an event loop; once the application
    // has caught up, it answers as the window's speaker does.
    std::unique_ptr<CSpeechAlert> worker_speaker;
    std::thread([&worker_speaker] { worker_speaker = std::make_unique<CSpeechAlert>(); }).join();
    CSpeechAlert window_speaker;
    RunPosted();
    EXPECT_EQ(worker_speaker->Speak(u"Started"), window_speaker.Speak(u"Stopped"));
}

TEST_F(Alerts, SpeakerWithoutAudioOutputStaysSilent) {
    if (!QMediaDevices::defaultAudioOutput().isNull()) {
        GTEST_SKIP() << "this machine can play sound";
    }
    CSpeechAlert speaker;
    RunPosted();
    EXPECT_FALSE(speaker.Speak(u"Stopped"));
    // An engine that cannot be heard is not kept.
    EXPECT_TRUE(Engines().isEmpty());
}

TEST_F(Alerts, TextIsSpokenAfterItsSpeakerIsGone) {
    // A run stopped at once: the worker speaks and drops its speaker before the application
    // has handled anything.
    std::thread([] {
        CSpeechAlert speaker;
        EXPECT_TRUE(speaker.Speak(u"Started"));
    }).join();
    RunPosted();
    const QList<QTextToSpeech*> engines = Engines();
    if (engines.isEmpty()) GTEST_SKIP() << "no speech engine can be heard here";
    QTextToSpeech* engine = engines.front();
    EXPECT_TRUE(RunUntil([engine] { return engine->state() == QTextToSpeech::Speaking; }));
    EXPECT_TRUE(RunUntil([engine] { return engine->state() == QTextToSpeech::Ready; }));
}

TEST_F(Alerts, OneEngineServesSpeakersOnEveryThread) {
    // Workers come and go while the window's speaker talks; the speech plug-in breaks when
    // one of two engines is destroyed, so there must never be a second.
    CSpeechAlert window_speaker;
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&finished] {
            for (int run = 0; run < 20; ++run) {
                CSpeechAlert speaker;
                speaker.Speak(u"Started");
            }
            ++finished;
        });
    }
    qsizetype most_engines = 0;
    while (finished.load() < static_cast<int>(workers.size())) {
        window_speaker.Speak(u"Stopped");
        QCoreApplication::processEvents();
        most_engines = std::max(most_engines, Engines().size());
    }
    for (std::thread& worker : workers) worker.join();
    RunPosted();
    EXPECT_LE(std::max(most_engines, Engines().size()), 1);
}

TEST_F(Alerts, BeepPlaysItsWholeToneThenEnds) {
    PlaySearchBeep();
    RunPosted();
    const QList<QAudioSink*> sinks = Children<QAudioSink>();
    if (sinks.isEmpty()) GTEST_SKIP() << "no audio output here";
    ASSERT_EQ(sinks.size(), 1);
    const QPointer<QAudioSink> sink = sinks.front();
    qint64 played_us = 0;
    EXPECT_TRUE(RunUntil([&sink, &played_us] {
        if (sink.isNull()) return true;
        played_us = std::max(played_us, sink->processedUSecs());
        return false;
    }));
    // All 50 ms of the tone reached the sound server before the sink went.
    EXPECT_GE(played_us, 49000);
}

TEST_F(Alerts, BeepsFromManyThreadsPlayOutAndEnd) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int beep = 0; beep < 25; ++beep) PlaySearchBeep();
        });
    }
    PlaySearchBeep();
    for (std::thread& thread : threads) thread.join();
    RunPosted();
    EXPECT_TRUE(RunUntil([this] { return BeepsEnded(); }));
}

}  // namespace
}  // namespace glimtap
