#pragma once
// A message sink that records every box instead of showing it.

#include <QStringList>

#include "app/message_sink.h"

namespace kav::app::testing {

class RecordingSink : public MessageSink {
  public:
    void information(const QString& text) override { infos << text; }
    bool warning(const QString& text) override {
        warnings << text;
        return answer;
    }
    bool question(const QString& text) override {
        questions << text;
        return answer;
    }
    void error(const QString& text) override { errors << text; }

    int count() const { return infos.size() + warnings.size() + questions.size() + errors.size(); }

    bool answer = true;  // OK / Yes
    QStringList infos, warnings, questions, errors;
};

}  // namespace kav::app::testing
