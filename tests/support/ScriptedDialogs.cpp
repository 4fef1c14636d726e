#include "support/ScriptedDialogs.h"

namespace tarnix::platform {

void ScriptedDialogs::messageFor(QObject* window, const QString& text, MessageIcon icon,
                                 const QString& title) {
    m_messages.push_back({text, icon, title, window});
    if (m_onMessage)
        m_onMessage(m_messages.back());
}

bool ScriptedDialogs::retry(const QString& text) {
    message(text, MessageIcon::None, {});
    return m_retryAnswer;
}

std::unique_ptr<Progress> ScriptedDialogs::progressFor(QObject*, const QString&) {
    struct Scripted final : Progress {
        const int& cancelAt;
        explicit Scripted(const int& at) : cancelAt(at) {}
        bool update(int percent) override { return percent < cancelAt; }
    };
    return std::make_unique<Scripted>(m_cancelAt);
}

// The next scripted answer; none left is a cancel.
static QString next(std::deque<QString>& answers) {
    const QString answer = answers.empty() ? QString() : answers.front();
    if (!answers.empty())
        answers.pop_front();
    return answer;
}

QString ScriptedDialogs::input(const QString& prompt, const QString& title,
                               const QString& defaultAnswer) {
    m_prompts.push_back({prompt, title, defaultAnswer});
    return next(m_answers);
}

QString ScriptedDialogs::saveFileName(const QString& filter) {
    m_filters << filter;
    return next(m_files);
}

QString ScriptedDialogs::saveFileName(const QString& filter, QString* chosen) {
    *chosen = filter.split(QStringLiteral(";;")).value(m_filterIndex);
    return saveFileName(filter);
}

QString ScriptedDialogs::openFileName(const QString& filter) { return saveFileName(filter); }

QStringList ScriptedDialogs::messageTexts() const {
    QStringList texts;
    for (const auto& m : m_messages)
        texts << m.text;
    return texts;
}

} // namespace tarnix::platform
