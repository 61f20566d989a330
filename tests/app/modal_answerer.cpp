#include "modal_answerer.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace {

// Far longer than any answer takes to close its dialog, even on a loaded machine.
constexpr int stuckMs = 60000;

SeenDialog describe(QDialog* dialog) {
    SeenDialog seen;
    seen.kind = QString::fromLatin1(dialog->metaObject()->className());
    for (int id : {1018, 1019, 1012}) {
        if (auto* label = control<QLabel>(dialog, id)) {
            seen.text = label->text();
            break;
        }
    }
    for (auto* label : dialog->findChildren<QLabel*>()) {
        if (label->property("picture").isValid()) {
            seen.icon = label->property("picture").toInt();
            break;
        }
    }
    return seen;
}

} // namespace

ModalAnswerer::ModalAnswerer() {
    QApplication::instance()->installEventFilter(this);
    // A dialog already open when the answerer starts.
    QTimer::singleShot(0, this, &ModalAnswerer::answerTopDialog);
}

bool ModalAnswerer::eventFilter(QObject* watched, QEvent* event) {
    // The top modal dialog changes only when a dialog is shown or hidden; it is looked at once the
    // show or hide is complete.
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) &&
        qobject_cast<QDialog*>(watched) != nullptr) {
        QTimer::singleShot(0, this, &ModalAnswerer::answerTopDialog);
    }
    return false;
}

void ModalAnswerer::answerTopDialog() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) {
        return;
    }
    const bool handled = std::any_of(handled_.begin(), handled_.end(),
                                     [dialog](const QPointer<QDialog>& seen) { return seen == dialog; });
    if (handled) {
        return;
    }
    handled_.emplace_back(dialog);
    SeenDialog seen = describe(dialog);
    Answer answer;
    if (answers_.empty() && fallback_) {
        answer = fallback_;
    } else if (answers_.empty()) {
        seen.expected = false;
        answer = [](QDialog* d) { d->reject(); };
    } else {
        answer = std::move(answers_.front());
        answers_.pop_front();
    }
    seen_.push_back(seen);
    // Answer from a fresh call, so that a dialog the answer opens is seen on its own show.
    QPointer<QDialog> target(dialog);
    QTimer::singleShot(0, this, [this, target, answer] {
        if (target) {
            answer(target);
            failIfStillOpen(target);
        }
    });
}

void ModalAnswerer::failIfStillOpen(const QPointer<QDialog>& dialog) {
    QTimer::singleShot(stuckMs, this, [this, dialog] {
        if (!dialog || !dialog->isVisible()) {
            return;
        }
        if (QApplication::activeModalWidget() != dialog) {
            failIfStillOpen(dialog); // a dialog it opened is still being answered
            return;
        }
        // A dialog left open after its answer would hang the test.
        ADD_FAILURE() << "a " << dialog->metaObject()->className() << " stayed open after its answer";
        dialog->reject();
    });
}

ModalAnswerer::Answer clickControl(int id) {
    return [id](QDialog* dialog) {
        auto* button = control<QAbstractButton>(dialog, id);
        if (button == nullptr) {
            ADD_FAILURE() << "no button " << id;
            dialog->reject();
            return;
        }
        QTest::mouseClick(button, Qt::LeftButton);
    };
}

ModalAnswerer::Answer pressKey(Qt::Key key) {
    return [key](QDialog* dialog) { QTest::keyClick(dialog, key); };
}

ModalAnswerer::Answer closeBox() {
    return [](QDialog* dialog) { dialog->close(); };
}

ModalAnswerer::Answer typeAndClick(const QString& text, int id) {
    return [text, id](QDialog* dialog) {
        auto* entry = dialog->findChild<QLineEdit*>();
        if (entry != nullptr) {
            // QTest types ASCII only; other characters go in as an input method would put them.
            const bool ascii =
                std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
            if (ascii) {
                QTest::keyClicks(entry, text);
            } else {
                entry->insert(text);
            }
        }
        clickControl(id)(dialog);
    };
}
