#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/speaker.h"

namespace glimtap::test {

// Notes what it is asked to say instead of saying it: there is no sound card here. Speakers
// made on any thread may share one record.
class RecordingSpeaker : public Speaker {
public:
    struct Record {
        std::mutex mutex;
        std::vector<std::u16string> texts;
    };

    explicit RecordingSpeaker(std::shared_ptr<Record> record = std::make_shared<Record>())
        : record_(std::move(record)) {}

    bool Speak(std::u16string_view text) override {
        std::lock_guard lock(record_->mutex);
        record_->texts.emplace_back(text);
        return true;
    }

    std::vector<std::u16string> Spoken() const {
        std::lock_guard lock(record_->mutex);
        return record_->texts;
    }

private:
    std::shared_ptr<Record> record_;
};

}  // namespace glimtap::test
