#include "import/FailureGathering.h"

Message FailureGathering::gatheringQuestion() {
    return Message{QStringLiteral("More files could not be imported. Show the rest in one list at "
                                  "the end of the run instead of a message for each?"),
                   MessageButtons::YesNo, MessageIcon::None};
}

MessageAnswer FailureGathering::showMessage(const Message& message) {
    if (message.aboutFile.isEmpty())
        return m_shown.showMessage(message);
    // A file's messages follow one another: a file with two reports counts once.
    if (message.aboutFile != m_lastFile) {
        m_lastFile = message.aboutFile;
        ++m_failedFiles;
    }
    if (!m_asked && m_failedFiles > kShownBeforeAsking) {
        m_asked = true;
        m_gathering = m_shown.showMessage(gatheringQuestion()) == MessageAnswer::Yes;
    }
    if (m_gathering)
        return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    return m_shown.showMessage(message);
}
