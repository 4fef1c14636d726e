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

std::unique_ptr<Progress> ScriptedDialogs::progressFor(QObject* window, const QString& text) {
    struct Scripted final : Progress {
        const int& cancelAt;
        explicit Scripted(const int& at) : cancelAt(at) {}
        bool update(int percent) override { return percent < cancelAt; }
    };
    Q_UNUSED(window);
    Q_UNUSED(text);
    return std::make_unique<Scripted>(m_cancelAt);
}

QString ScriptedDialogs::input(const QString& prompt, const QString& title,
                               const QString& defaultAnswer) {
    m_prompts.push_back({prompt, title, defaultAnswer});
    if (m_answers.empty())
        return {};
    QString answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QString ScriptedDialogs::saveFileName(const QString& filter) {
    m_filters << filter;
    if (m_files.empty())
        return {};
    QString path = m_files.front();
    m_files.pop_front();
    return path;
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

void ScriptedDialogs::clear() {
    m_messages.clear();
    m_prompts.clear();
    m_answers.clear();
    m_files.clear();
    m_filters.clear();
}

} // namespace tarnix::platform
