#pragma once
// Answers the modal dialogs that the code under test opens, in order, and records each one.
// A dialog that nobody expected is rejected, so a test fails instead of hanging.
#include "app/resource_layout.h"

#include <QDialog>
#include <QPointer>

#include <deque>
#include <functional>
#include <vector>

class QAbstractButton;

struct SeenDialog {
    QString kind; // the dialog's class name
    QString text; // its main text (message, notice) or title (prompts)
    int icon = 0; // the picture number of its first icon
    bool expected = true;
};

class ModalAnswerer : public QObject {
    Q_OBJECT
public:
    using Answer = std::function<void(QDialog*)>;

    ModalAnswerer();

    void expect(Answer answer) { answers_.push_back(std::move(answer)); }
    // Answers every dialog once the expected answers are used up (instead of rejecting it).
    void otherwise(Answer answer) { fallback_ = std::move(answer); }
    const std::vector<SeenDialog>& seen() const { return seen_; }
    bool allAnswered() const { return answers_.empty(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void answerTopDialog();
    void failIfStillOpen(const QPointer<QDialog>& dialog);

    std::deque<Answer> answers_;
    Answer fallback_;
    std::vector<QPointer<QDialog>> handled_;
    std::vector<SeenDialog> seen_;
};

// Answers.
ModalAnswerer::Answer clickControl(int id);
ModalAnswerer::Answer pressKey(Qt::Key key);
ModalAnswerer::Answer closeBox();
// Types text into the dialog's line edit, then clicks control id.
ModalAnswerer::Answer typeAndClick(const QString& text, int id);

template <typename W> W* control(const QWidget* host, int id) {
    return host->findChild<W*>(controlName(id));
}
