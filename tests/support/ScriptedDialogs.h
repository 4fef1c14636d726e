#pragma once

#include "platform/Dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace tarnix::platform {

// Dialogs for tests: records every message and prompt, and answers input
// boxes from a script (an empty answer, as a cancel, once the script is used up).
class ScriptedDialogs final : public Dialogs {
public:
    struct Message {
        QString text;
        MessageIcon icon;
        QString title;
        QObject* window = nullptr; // the window the box belongs to, if named
    };
    struct Prompt {
        QString prompt;
        QString title;
        QString defaultAnswer;
    };

    void messageFor(QObject* window, const QString& text, MessageIcon icon,
                    const QString& title) override;
    // Recorded as a message; answered as answerRetries() says (OK at first).
    bool retry(const QString& text) override;
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultAnswer) override;
    QString saveFileName(const QString& filter) override;
    QString openFileName(const QString& filter) override;
    QString saveFileName(const QString& filter, QString* chosen) override;
    // Cancelled once the work reaches cancelProgressAt().
    std::unique_ptr<Progress> progressFor(QObject* window, const QString& text) override;

    // Progress boxes are cancelled at this percentage (above 100: never).
    void cancelProgressAt(int percent) { m_cancelAt = percent; }

    // The next file dialogs answer these paths (empty: cancel).
    void answerFile(const QString& path) { m_files.push_back(path); }
    // The save dialogs from now on pick the filter at `index` (0: the first).
    void chooseFilter(int index) { m_filterIndex = index; }
    const QStringList& fileFilters() const { return m_filters; }

    void answer(const QString& text) { m_answers.push_back(text); }
    // The retry box's answer from now on: OK (true) or Cancel (false).
    void answerRetries(bool ok) { m_retryAnswer = ok; }
    // Runs while a message box would be open, before it is closed.
    void onMessage(std::function<void(const Message&)> action) { m_onMessage = std::move(action); }

    const std::vector<Message>& messages() const { return m_messages; }
    QStringList messageTexts() const;
    const std::vector<Prompt>& prompts() const { return m_prompts; }

private:
    std::vector<Message> m_messages;
    std::vector<Prompt> m_prompts;
    std::deque<QString> m_answers;
    std::deque<QString> m_files;
    QStringList m_filters;
    int m_filterIndex = 0;
    bool m_retryAnswer = true;
    int m_cancelAt = 101;
    std::function<void(const Message&)> m_onMessage;
};

} // namespace tarnix::platform
