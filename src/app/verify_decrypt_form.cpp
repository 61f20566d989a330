#include "app/verify_decrypt_form.h"

#include "app/image_button.h"
#include "app/page_backdrop.h"
#include "app/resource_layout.h"
#include "app/text_bytes.h"

#include "pipeline/form_text.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>

#include <utility>

namespace {

// The signed documents' extension, removed from the suggested output paths.
const QString signedExtension = QStringLiteral(".qsig");

FormValues initialValues() {
    FormValues values;
    values.crlChoice = RevocationChoice::Check;
    return values;
}

// The paths of a box as the job reads them in a multiple selection; a single file has no list.
std::vector<std::string> selectionList(bool multipleSelection, const std::string& boxText) {
    return multipleSelection ? splitPathList(trimmedBoxText(boxText)) : std::vector<std::string>();
}

} // namespace

VerifyDecryptForm::VerifyDecryptForm(QWidget* parent)
    : QScrollArea(parent), chooser_(platformFileChooser(this)), values_(initialValues()) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    // The scroll area is no stop of its own: the focus it is given goes to the input box.
    setFocusPolicy(Qt::NoFocus);
    auto* canvas = new PageBackdrop(PageBackdrop::formSmall, PageBackdrop::formLarge);
    canvas->setFont(dialogFont());
    const ResourceLayout l(canvas, DialogUnits(dialogFont()));
    // The form scrolls when the pane is smaller than the layout.
    canvas->setMinimumSize(l.units().size(481, 271));

    l.text(formid::inputLabel, QStringLiteral("Select the file(s) to Verify/Decrypt"), 188, 77, 193, 8);
    input_ = l.edit(formid::input, 189, 89, 202, 16);
    ImageButton* browseInput = l.button(formid::browseInput, QStringLiteral("Browse"), 393, 90, 61, 15);
    l.text(formid::outputLabel, QStringLiteral("Select file path to save the verified/decrypted file(s)?"),
           188, 114, 202, 9);
    output_ = l.edit(formid::output, 189, 127, 202, 16);
    browseOutput_ = l.button(formid::browseOutput, QStringLiteral("Browse"), 393, 128, 61, 15);
    auto* group = l.place(new QFrame, 0, 188, 151, 204, 34);
    group->setObjectName(QStringLiteral("crlGroup"));
    group->setFrameStyle(QFrame::Box | QFrame::Sunken);
    l.text(formid::crlLabel, QStringLiteral("Certificate Revocation (CRL) check on"), 192, 156, 194, 8);
    yes_ = l.place(new QRadioButton(QStringLiteral("Yes")), formid::yes, 193, 168, 25, 14);
    no_ = l.place(new QRadioButton(QStringLiteral("No")), formid::no, 356, 168, 25, 14);
    crlPathLabel_ = l.text(formid::crlPathLabel, QStringLiteral("Enter path to CRL file"), 188, 187, 180, 9);
    crlPath_ = l.edit(formid::crlPath, 189, 201, 202, 16);
    browseCrl_ = l.button(formid::browseCrl, QStringLiteral("Browse"), 393, 203, 61, 15);
    ImageButton* verify = l.button(formid::verifyDecrypt, QStringLiteral("Verify/Decrypt"), 232, 226, 61, 15);
    cancel_ = l.button(formid::cancel, QStringLiteral("Cancel"), 314, 226, 61, 15);
    // The texts widen with the font; let them run on rather than wrap or clip.
    for (QLabel* label : canvas->findChildren<QLabel*>()) {
        label->adjustSize();
    }
    group->lower();
    setWidget(canvas);
    setFocusProxy(input_);

    connect(browseInput, &QPushButton::clicked, this, &VerifyDecryptForm::browseInput);
    connect(browseOutput_, &QPushButton::clicked, this, &VerifyDecryptForm::browseOutput);
    connect(browseCrl_, &QPushButton::clicked, this, &VerifyDecryptForm::browseCrl);
    connect(yes_, &QRadioButton::clicked, this, [this] { chooseCrlCheck(true); });
    connect(no_, &QRadioButton::clicked, this, [this] { chooseCrlCheck(false); });
    connect(verify, &QPushButton::clicked, this, &VerifyDecryptForm::verifyDecryptRequested);
    connect(cancel_, &QPushButton::clicked, this, &VerifyDecryptForm::cancelRequested);
    // Typing in the input box takes every box into the values at once.
    connect(input_, &QLineEdit::textEdited, this, [this] { readValues(); });
    // Enter in the input box presses Verify/Decrypt, as a default button would.
    connect(input_, &QLineEdit::returnPressed, verify, &QPushButton::click);
    resetForm();
}

QLineEdit* VerifyDecryptForm::box(FormBox which) const {
    switch (which) {
    case FormBox::Input:
        return input_;
    case FormBox::Output:
        return output_;
    case FormBox::CrlPath:
        return crlPath_;
    }
    return input_;
}

FormValues VerifyDecryptForm::readValues() {
    values_.input = toBytes(input_->text());
    values_.output = toBytes(output_->text());
    values_.crlPath = toBytes(crlPath_->text());
    values_.crlChoice = no_->isChecked() ? RevocationChoice::Skip : RevocationChoice::Check;
    values_.inputs = selectionList(values_.multipleSelection, values_.input);
    values_.outputs = selectionList(values_.multipleSelection, values_.output);
    return values_;
}

void VerifyDecryptForm::setBoxText(FormBox which, const std::string& text) {
    switch (which) {
    case FormBox::Input:
        values_.input = text;
        break;
    case FormBox::Output:
        values_.output = text;
        break;
    case FormBox::CrlPath:
        values_.crlPath = text;
        break;
    }
}

void VerifyDecryptForm::setCrlChoice(RevocationChoice choice) {
    values_.crlChoice = choice;
}

void VerifyDecryptForm::showValues() {
    input_->setText(fromBytes(values_.input));
    output_->setText(fromBytes(values_.output));
    crlPath_->setText(fromBytes(values_.crlPath));
    const bool check = values_.crlChoice == RevocationChoice::Check;
    (check ? yes_ : no_)->setChecked(true);
    // The path controls follow the choice, so a choice reset to "Yes" never hides its path box.
    showCrlControls(check);
}

void VerifyDecryptForm::focusBox(FormBox which) {
    if (busy_) {
        focusWhenEnabled_ = box(which);
        return;
    }
    box(which)->setFocus();
}

void VerifyDecryptForm::enableOutput() {
    setOutputEnabled(true);
}

void VerifyDecryptForm::setOutputEnabled(bool enabled) {
    if (busy_ && enabled) {
        heldForJob_.insert(heldForJob_.end(), {output_, browseOutput_});
        return;
    }
    output_->setEnabled(enabled);
    browseOutput_->setEnabled(enabled);
}

void VerifyDecryptForm::setBusy(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    if (busy) {
        for (QWidget* control : widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control != cancel_ && control->isEnabled()) {
                control->setEnabled(false);
                heldForJob_.emplace_back(control);
            }
        }
        return;
    }
    for (const QPointer<QWidget>& control : std::exchange(heldForJob_, {})) {
        if (control != nullptr) {
            control->setEnabled(true);
        }
    }
    if (focusWhenEnabled_ != nullptr) {
        std::exchange(focusWhenEnabled_, nullptr)->setFocus();
    }
}

void VerifyDecryptForm::showCrlControls(bool visible) {
    crlPathLabel_->setVisible(visible);
    crlPath_->setVisible(visible);
    browseCrl_->setVisible(visible);
}

void VerifyDecryptForm::resetForm() {
    values_ = initialValues();
    showValues();
    setOutputEnabled(true);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void VerifyDecryptForm::browseInput() {
    readValues();
    chooseInputs(chooser_(
        {FileRequest::Purpose::Input, QStringLiteral("Signed Files (*.qsig)"), QString(), true, true}));
}

void VerifyDecryptForm::chooseInputs(const QStringList& paths) {
    QString input;
    QString output;
    for (const QString& path : paths) {
        input += path + QLatin1Char(';');
        output += path + QLatin1Char(';');
        output.remove(signedExtension, Qt::CaseSensitive);
    }
    if (paths.size() == 1) {
        input.remove(QLatin1Char(';'));
        output.remove(QLatin1Char(';'));
        values_.multipleSelection = false;
        setOutputEnabled(true);
    } else if (paths.size() > 1) {
        values_.multipleSelection = true;
        setOutputEnabled(false);
    }
    values_.input = toBytes(input);
    values_.output = toBytes(output);
    showValues();
}

void VerifyDecryptForm::browseOutput() {
    readValues();
    const QStringList paths = chooser_(
        {FileRequest::Purpose::Output, QStringLiteral("All Files (*)"), output_->text(), false, false});
    values_.output = paths.isEmpty() ? std::string() : toBytes(paths.first());
    showValues();
}

void VerifyDecryptForm::browseCrl() {
    readValues();
    const QStringList paths =
        chooser_({FileRequest::Purpose::Crl, QStringLiteral("Certificate Revocation Files (*.crl)"),
                  QString(), false, true});
    values_.crlPath = paths.isEmpty() ? std::string() : toBytes(paths.first());
    showValues();
}

void VerifyDecryptForm::chooseCrlCheck(bool check) {
    (check ? yes_ : no_)->setChecked(true);
    values_.crlChoice = check ? RevocationChoice::Check : RevocationChoice::Skip;
    showCrlControls(check);
}

void VerifyDecryptForm::showEvent(QShowEvent* event) {
    QScrollArea::showEvent(event);
    if (!event->spontaneous()) {
        resetForm();
    }
}

void VerifyDecryptForm::hideEvent(QHideEvent* event) {
    QScrollArea::hideEvent(event);
    if (!event->spontaneous()) {
        resetForm();
    }
}
