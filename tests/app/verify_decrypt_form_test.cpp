// The Verify/Decrypt form: Browse results, the CRL choice, the reset at every showing, and the
// effects the job has on it.
#include "modal_answerer.h"

#include "app/image_button.h"
#include "app/verify_decrypt_form.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <cctype>
#include <memory>

namespace {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = std::make_unique<VerifyDecryptForm>();
        form_->resize(900, 500);
        form_->setFileChooser([this](const FileRequest& request) {
            requests_.push_back(request);
            return answer_;
        });
        form_->show();
    }

    QLineEdit* edit(int id) const { return control<QLineEdit>(form_.get(), id); }
    QString text(int id) const { return edit(id)->text(); }
    bool outputEnabled() const {
        return edit(formid::output)->isEnabled() &&
               control<QWidget>(form_.get(), formid::browseOutput)->isEnabled();
    }
    bool crlControlsVisible() const {
        const bool label = control<QWidget>(form_.get(), formid::crlPathLabel)->isVisible();
        const bool box = edit(formid::crlPath)->isVisible();
        const bool browse = control<QWidget>(form_.get(), formid::browseCrl)->isVisible();
        EXPECT_EQ(label, box);
        EXPECT_EQ(box, browse);
        return box;
    }
    void browseInput(QStringList paths) {
        answer_ = std::move(paths);
        QTest::mouseClick(control<QWidget>(form_.get(), formid::browseInput), Qt::LeftButton);
    }

    std::unique_ptr<VerifyDecryptForm> form_;
    QStringList answer_;
    std::vector<FileRequest> requests_;
};

struct BrowseCase {
    const char* name;
    QStringList chosen;
    QString input;
    QString output;
    bool multiple;
};

void PrintTo(const BrowseCase& c, std::ostream* out) {
    *out << c.name;
}

class BrowseInput : public FormTest, public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(BrowseInput, SuggestsOutputsAndSetsTheSelectionMode) {
    const BrowseCase& c = GetParam();
    browseInput(c.chosen);
    EXPECT_EQ(text(formid::input), c.input);
    EXPECT_EQ(text(formid::output), c.output);
    EXPECT_EQ(form_->values().multipleSelection, c.multiple);
    EXPECT_EQ(outputEnabled(), !c.multiple);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].purpose, FileRequest::Purpose::Input);
    EXPECT_EQ(requests_[0].filter, QStringLiteral("Signed Files (*.qsig)"));
    EXPECT_TRUE(requests_[0].multiple);
    EXPECT_TRUE(requests_[0].mustExist);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, BrowseInput,
    ::testing::Values(
        BrowseCase{"one file", {"/in/report.txt.qsig"}, "/in/report.txt.qsig", "/in/report.txt", false},
        BrowseCase{"two files", {"/in/a.qsig", "/in/b.qsig"}, "/in/a.qsig;/in/b.qsig;", "/in/a;/in/b;", true},
        BrowseCase{"the dialog's order is kept",
                   {"/in/b.qsig", "/in/a.qsig"},
                   "/in/b.qsig;/in/a.qsig;",
                   "/in/b;/in/a;",
                   true},
        BrowseCase{"extension inside a directory name", {"/x.qsig/a.qsig"}, "/x.qsig/a.qsig", "/x/a", false},
        BrowseCase{"capitals are not the extension", {"/in/a.QSIG"}, "/in/a.QSIG", "/in/a.QSIG", false},
        BrowseCase{"every occurrence goes", {"/in/a.qsig.qsig"}, "/in/a.qsig.qsig", "/in/a", false},
        BrowseCase{"no extension at all", {"/in/plain.txt"}, "/in/plain.txt", "/in/plain.txt", false}),
    // "two files" -> TwoFiles
    [](const ::testing::TestParamInfo<BrowseCase>& info) {
        std::string name;
        bool capital = true;
        for (const char* c = info.param.name; *c != '\0'; ++c) {
            if (std::isalnum(static_cast<unsigned char>(*c)) == 0) {
                capital = true;
            } else {
                name += capital ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
                capital = false;
            }
        }
        return name;
    });

TEST_F(FormTest, CancellingInputBrowseEmptiesBothTextsButKeepsTheSelectionMode) {
    browseInput({"/in/a.qsig", "/in/b.qsig"});
    browseInput({});
    EXPECT_EQ(text(formid::input), QString());
    EXPECT_EQ(text(formid::output), QString());
    EXPECT_TRUE(form_->values().multipleSelection);
    EXPECT_FALSE(outputEnabled());
    browseInput({"/in/c.qsig"});
    EXPECT_FALSE(form_->values().multipleSelection);
    EXPECT_TRUE(outputEnabled());
}

TEST_F(FormTest, OutputBrowseStartsAtTheCurrentOutputAndEmptiesOnCancel) {
    browseInput({"/in/report.qsig"});
    answer_ = QStringList{"/out/chosen.bin"};
    QTest::mouseClick(control<QWidget>(form_.get(), formid::browseOutput), Qt::LeftButton);
    ASSERT_EQ(requests_.size(), 2u);
    EXPECT_EQ(requests_[1].initialPath, QStringLiteral("/in/report"));
    EXPECT_FALSE(requests_[1].mustExist);
    EXPECT_FALSE(requests_[1].multiple);
    EXPECT_EQ(text(formid::output), QStringLiteral("/out/chosen.bin"));
    answer_.clear();
    QTest::mouseClick(control<QWidget>(form_.get(), formid::browseOutput), Qt::LeftButton);
    EXPECT_EQ(text(formid::output), QString());
}

TEST_F(FormTest, CrlBrowseSetsOrEmptiesThePath) {
    answer_ = QStringList{"/crl/list.crl"};
    QTest::mouseClick(control<QWidget>(form_.get(), formid::browseCrl), Qt::LeftButton);
    EXPECT_EQ(text(formid::crlPath), QStringLiteral("/crl/list.crl"));
    EXPECT_EQ(requests_.back().filter, QStringLiteral("Certificate Revocation Files (*.crl)"));
    EXPECT_TRUE(requests_.back().mustExist);
    answer_.clear();
    QTest::mouseClick(control<QWidget>(form_.get(), formid::browseCrl), Qt::LeftButton);
    EXPECT_EQ(text(formid::crlPath), QString());
}

TEST_F(FormTest, BrowsingKeepsWhatWasTypedInTheOtherBoxes) {
    QTest::keyClicks(edit(formid::crlPath), "/typed.crl");
    browseInput({"/in/a.qsig"});
    EXPECT_EQ(text(formid::crlPath), QStringLiteral("/typed.crl"));
}

TEST_F(FormTest, NoHidesTheCrlControlsAndKeepsThePath) {
    EXPECT_TRUE(crlControlsVisible());
    QTest::keyClicks(edit(formid::crlPath), "/my.crl");
    QTest::mouseClick(control<QRadioButton>(form_.get(), formid::no), Qt::LeftButton);
    EXPECT_FALSE(crlControlsVisible());
    EXPECT_EQ(form_->readValues().crlChoice, RevocationChoice::Skip);
    EXPECT_EQ(form_->readValues().crlPath, "/my.crl");
    QTest::mouseClick(control<QRadioButton>(form_.get(), formid::yes), Qt::LeftButton);
    EXPECT_TRUE(crlControlsVisible());
    EXPECT_EQ(form_->readValues().crlChoice, RevocationChoice::Check);
}

TEST_F(FormTest, EveryShowingAndHidingStartsAfresh) {
    browseInput({"/in/a.qsig", "/in/b.qsig"});
    QTest::mouseClick(control<QRadioButton>(form_.get(), formid::no), Qt::LeftButton);
    QTest::keyClicks(edit(formid::crlPath), "/my.crl");
    form_->hide();
    form_->show();
    EXPECT_EQ(text(formid::input), QString());
    EXPECT_EQ(text(formid::output), QString());
    EXPECT_EQ(text(formid::crlPath), QString());
    EXPECT_TRUE(control<QRadioButton>(form_.get(), formid::yes)->isChecked());
    EXPECT_TRUE(crlControlsVisible());
    EXPECT_TRUE(outputEnabled());
    const FormValues values = form_->readValues();
    EXPECT_FALSE(values.multipleSelection);
    EXPECT_EQ(values.crlChoice, RevocationChoice::Check);
}

TEST_F(FormTest, TypingInTheInputBoxTakesEveryBoxIntoTheValues) {
    QTest::keyClicks(edit(formid::output), "/out");
    QTest::keyClicks(edit(formid::input), "/in");
    EXPECT_EQ(form_->values().input, "/in");
    EXPECT_EQ(form_->values().output, "/out");
}

TEST_F(FormTest, JobEffectsReachTheBoxesOnlyWhenShown) {
    browseInput({"/in/a.qsig", "/in/b.qsig"});
    form_->setBoxText(FormBox::Input, " /trimmed ");
    form_->setBoxText(FormBox::Output, "");
    form_->setBoxText(FormBox::CrlPath, "/c.crl");
    form_->setCrlChoice(RevocationChoice::Skip);
    EXPECT_EQ(text(formid::input), QStringLiteral("/in/a.qsig;/in/b.qsig;")) << "stored only";
    form_->showValues();
    EXPECT_EQ(text(formid::input), QStringLiteral(" /trimmed "));
    EXPECT_EQ(text(formid::output), QString());
    EXPECT_EQ(text(formid::crlPath), QStringLiteral("/c.crl"));
    EXPECT_TRUE(control<QRadioButton>(form_.get(), formid::no)->isChecked());
    EXPECT_FALSE(crlControlsVisible());
    form_->setCrlChoice(RevocationChoice::Check);
    form_->showValues();
    EXPECT_TRUE(crlControlsVisible()) << "a choice reset to Yes shows its path box";
    EXPECT_FALSE(outputEnabled());
    form_->enableOutput();
    EXPECT_TRUE(outputEnabled());
    EXPECT_TRUE(form_->values().multipleSelection) << "the job never changes the selection mode";
}

TEST_F(FormTest, FocusGoesToTheNamedBox) {
    form_->activateWindow();
    for (FormBox box : {FormBox::Output, FormBox::CrlPath, FormBox::Input}) {
        form_->focusBox(box);
        const int id = box == FormBox::Input    ? formid::input
                       : box == FormBox::Output ? formid::output
                                                : formid::crlPath;
        EXPECT_EQ(form_->focusWidget(), edit(id));
    }
}

TEST_F(FormTest, ButtonsReportVerifyDecryptAndCancel) {
    int verify = 0;
    int cancel = 0;
    QObject::connect(form_.get(), &VerifyDecryptForm::verifyDecryptRequested, [&verify] { ++verify; });
    QObject::connect(form_.get(), &VerifyDecryptForm::cancelRequested, [&cancel] { ++cancel; });
    QTest::mouseClick(control<QWidget>(form_.get(), formid::verifyDecrypt), Qt::LeftButton);
    QTest::mouseClick(control<QWidget>(form_.get(), formid::cancel), Qt::LeftButton);
    // Enter presses the focused button, and in the input box presses Verify/Decrypt.
    QTest::keyClick(control<QWidget>(form_.get(), formid::cancel), Qt::Key_Return);
    QTest::keyClick(control<QWidget>(form_.get(), formid::verifyDecrypt), Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(edit(formid::input), Qt::Key_Return);
    EXPECT_EQ(verify, 3);
    EXPECT_EQ(cancel, 2);
    EXPECT_EQ(form_->findChildren<ImageButton*>().size(), 5);
}

TEST_F(FormTest, ABusyFormLeavesOnlyCancelAndComesBackAsItWas) {
    form_->activateWindow();
    form_->chooseInputs({QStringLiteral("/in/a.qsig"), QStringLiteral("/in/b.qsig")});
    ASSERT_FALSE(outputEnabled());
    form_->setBusy(true);
    for (QWidget* widget : form_->widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_EQ(widget->isEnabled(), widget == control<QWidget>(form_.get(), formid::cancel))
            << widget->objectName().toStdString();
    }
    form_->focusBox(FormBox::CrlPath); // the job's wish waits for the end
    form_->setBusy(false);
    EXPECT_TRUE(edit(formid::input)->isEnabled());
    EXPECT_FALSE(outputEnabled()) << "a batch's output box stays disabled";
    EXPECT_EQ(form_->focusWidget(), edit(formid::crlPath));
}

} // namespace
