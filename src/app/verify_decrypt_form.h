#pragma once
// The Verify/Decrypt page: input files, output files, the CRL choice and path. It checks nothing
// itself; the job reads it through JobForm when Verify/Decrypt is pressed.
#include "app/file_chooser.h"

#include "pipeline/job_form.h"

#include <QPointer>
#include <QScrollArea>

#include <vector>

class ImageButton;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace formid {
inline constexpr int inputLabel = 1013;
inline constexpr int input = 1001;
inline constexpr int browseInput = 1003;
inline constexpr int outputLabel = 1014;
inline constexpr int output = 1002;
inline constexpr int browseOutput = 1004;
inline constexpr int crlLabel = 1015;
inline constexpr int yes = 1005;
inline constexpr int no = 1006;
inline constexpr int crlPathLabel = 1011;
inline constexpr int crlPath = 1007;
inline constexpr int browseCrl = 1008;
inline constexpr int verifyDecrypt = 1009;
inline constexpr int cancel = 1010;
} // namespace formid

class VerifyDecryptForm : public QScrollArea, public JobForm {
    Q_OBJECT
public:
    explicit VerifyDecryptForm(QWidget* parent = nullptr);

    // Replaces the Browse dialogs (tests answer them with paths).
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    FormValues readValues() override;
    void setBoxText(FormBox box, const std::string& text) override;
    void setCrlChoice(RevocationChoice choice) override;
    void showValues() override;
    void focusBox(FormBox box) override;
    void enableOutput() override;

    // The values as last read or set, without reading the boxes.
    const FormValues& values() const { return values_; }
    // Back to the state of a fresh showing: empty texts, "Yes", output enabled, single selection.
    void resetForm();

    void browseInput();
    // Takes paths as the input Browse dialog's answer: one file gives the output without ".qsig",
    // several give the batch lists and multiple selection, none empties both boxes.
    void chooseInputs(const QStringList& paths);
    void browseOutput();
    void browseCrl();
    void chooseCrlCheck(bool check);
    // While a job runs every control but Cancel (which then stops the job) is disabled; afterwards
    // they come back as they were, and the box the job asked to focus takes the focus.
    void setBusy(bool busy);

signals:
    void verifyDecryptRequested();
    void cancelRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLineEdit* box(FormBox which) const;
    void setOutputEnabled(bool enabled);
    void showCrlControls(bool visible);

    FileChooser chooser_;
    FormValues values_;
    QLineEdit* input_;
    QLineEdit* output_;
    QLineEdit* crlPath_;
    QRadioButton* yes_;
    QRadioButton* no_;
    QLabel* crlPathLabel_;
    ImageButton* browseOutput_;
    ImageButton* browseCrl_;
    ImageButton* cancel_;
    bool busy_ = false;
    std::vector<QPointer<QWidget>> heldForJob_;
    // The box a job asked to focus while it held the form.
    QLineEdit* focusWhenEnabled_ = nullptr;
};
