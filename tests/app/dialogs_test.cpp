// The message dialog, the prompts, the key notice and the signature result dialog: icons,
// buttons, and what each way of closing them returns.
#include "modal_answerer.h"

#include "app/help_window.h"
#include "app/image_button.h"
#include "app/key_notice_dialog.h"
#include "app/main_window.h"
#include "app/message_dialog.h"
#include "app/pass_phrase_dialog.h"
#include "app/pictures.h"
#include "app/signature_result_dialog.h"
#include "app/verify_decrypt_form.h"
#include "app/whole_text.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTextBrowser>

namespace {

int iconOf(const QWidget* dialog, int id) {
    return control<QLabel>(dialog, id)->property("picture").toInt();
}

int iconControlTop(const QWidget* dialog, int id) {
    return control<QLabel>(dialog, id)->y();
}

struct KindCase {
    IconKind kind;
    int picture;
};

class MessageIcon : public ::testing::TestWithParam<KindCase> {};

TEST_P(MessageIcon, ShowsThePictureOfItsKind) {
    const MessageDialog dialog(QStringLiteral("text"), GetParam().kind, MessageButtons::Ok, nullptr);
    EXPECT_EQ(iconOf(&dialog, messageid::icon), GetParam().picture);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, MessageIcon,
    ::testing::Values(KindCase{IconKind::RedAlert, 160}, KindCase{IconKind::OrangeCircle, 162},
                      KindCase{IconKind::Error, 159}, KindCase{IconKind::Magnifier, 165},
                      KindCase{IconKind::PadlockKey, 166}, KindCase{IconKind::Success, 164},
                      KindCase{IconKind::Certificate, 163}, KindCase{IconKind::Information, 173},
                      // the yellow warning triangle for 0 and every unknown kind
                      KindCase{IconKind::Warning, 161}, KindCase{IconKind{7}, 161},
                      KindCase{IconKind{42}, 161}, KindCase{IconKind{-1}, 161}));

struct ArrangementCase {
    MessageButtons buttons;
    std::vector<int> visible;
};

class MessageButtonRow : public ::testing::TestWithParam<ArrangementCase> {};

TEST_P(MessageButtonRow, ShowsExactlyTheButtonsAskedFor) {
    const ArrangementCase& c = GetParam();
    MessageDialog dialog(QStringLiteral("text"), IconKind::Warning, c.buttons, nullptr);
    dialog.show();
    std::vector<int> visible;
    for (int id : {messageid::ok, messageid::cancel, messageid::yes, messageid::no}) {
        if (control<QWidget>(&dialog, id)->isVisible()) {
            visible.push_back(id);
        }
    }
    EXPECT_EQ(visible, c.visible);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MessageButtonRow,
    ::testing::Values(ArrangementCase{MessageButtons::Ok, {messageid::ok}},
                      ArrangementCase{MessageButtons::OkCancel, {messageid::ok, messageid::cancel}},
                      ArrangementCase{MessageButtons::YesNo, {messageid::yes, messageid::no}},
                      ArrangementCase{MessageButtons::Yes, {messageid::yes}}));

TEST(MessageButtonRow, FollowsTheJobsChoice) {
    EXPECT_EQ(messageButtons(Buttons::Ok), MessageButtons::Ok);
    EXPECT_EQ(messageButtons(Buttons::OkCancel), MessageButtons::OkCancel);
    EXPECT_EQ(messageButtons(Buttons::YesNo), MessageButtons::YesNo);
}

// Enter on the button that has the focus, whichever is the default.
ModalAnswerer::Answer enterOn(int id) {
    return [id](QDialog* dialog) {
        QWidget* button = control<QWidget>(dialog, id);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
    };
}

struct ReturnCase {
    const char* name;
    bool yesNo;
    std::function<ModalAnswerer::Answer()> answer;
    bool expected;
};

class MessageResult : public ::testing::TestWithParam<ReturnCase> {};

TEST_P(MessageResult, IsTrueOnlyForOkAndYes) {
    const ReturnCase& c = GetParam();
    ModalAnswerer answerer;
    answerer.expect(c.answer());
    const bool result =
        MessageDialog::ShowMessage(nullptr, QStringLiteral("Overwrite?"), IconKind::Warning,
                                   c.yesNo ? MessageButtons::YesNo : MessageButtons::OkCancel);
    EXPECT_EQ(result, c.expected) << c.name;
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("Overwrite?"));
}

INSTANTIATE_TEST_SUITE_P(
    Endings, MessageResult,
    ::testing::Values(ReturnCase{"ok", false, [] { return clickControl(messageid::ok); }, true},
                      ReturnCase{"cancel", false, [] { return clickControl(messageid::cancel); }, false},
                      ReturnCase{"enter on notice", false, [] { return pressKey(Qt::Key_Return); }, true},
                      ReturnCase{"escape on notice", false, [] { return pressKey(Qt::Key_Escape); }, false},
                      ReturnCase{"close box on notice", false, [] { return closeBox(); }, false},
                      ReturnCase{"yes", true, [] { return clickControl(messageid::yes); }, true},
                      ReturnCase{"no", true, [] { return clickControl(messageid::no); }, false},
                      ReturnCase{"enter on question", true, [] { return pressKey(Qt::Key_Return); }, true},
                      ReturnCase{"enter on focused no", true, [] { return enterOn(messageid::no); }, false},
                      ReturnCase{"enter on focused cancel", false, [] { return enterOn(messageid::cancel); },
                                 false},
                      ReturnCase{"escape on question", true, [] { return pressKey(Qt::Key_Escape); }, false},
                      ReturnCase{"close box on question", true, [] { return closeBox(); }, false}));

struct LongTextCase {
    const char* name;
    QString text;
    bool scrolls;
    QString keptInView; // the words after the path that stay below a scrolling text
};

class MessageText : public ::testing::TestWithParam<LongTextCase> {};

TEST_P(MessageText, IsShownWholeOrScrollsButIsNeverCut) {
    const LongTextCase& c = GetParam();
    const MessageDialog dialog(c.text, IconKind::Warning, MessageButtons::Ok, nullptr);
    const MessageDialog shortOne(QStringLiteral("text"), IconKind::Warning, MessageButtons::Ok, nullptr);
    auto* text = control<WholeText>(&dialog, messageid::text);
    EXPECT_EQ(text->text(), c.text);
    QScrollArea* area = text->area();
    EXPECT_GT(dialog.height(), shortOne.height()) << "the dialog grows for the text";
    EXPECT_LE(dialog.height(), dialog.screen()->availableGeometry().height());
    EXPECT_EQ(text->heightForWidth(area->width()) > area->height(), c.scrolls);
    // The OK button stays below the text.
    const int okTop = control<QWidget>(&dialog, messageid::ok)->y();
    EXPECT_GT(okTop, area->geometry().bottom());
    auto* kept = dialog.findChild<WholeText*>(controlName(messageid::text) + QStringLiteral("-end"));
    ASSERT_EQ(kept != nullptr, !c.keptInView.isEmpty());
    if (kept != nullptr) {
        EXPECT_EQ(kept->text(), c.keptInView);
        EXPECT_LE(kept->heightForWidth(kept->area()->width()), kept->area()->height()) << "shown whole";
        EXPECT_GT(kept->area()->y(), area->geometry().bottom());
        EXPECT_LT(kept->area()->geometry().bottom(), okTop);
        EXPECT_FALSE(text->shownText().contains(c.keptInView)) << "not twice";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, MessageText,
    ::testing::Values(
        LongTextCase{"unbroken path",
                     QStringLiteral("Input file /home/ann/%1/missing.qsig could not be read")
                         .arg(QString(400, QLatin1Char('n'))),
                     false,
                     {}},
        LongTextCase{
            "Windows path", QStringLiteral("C:\\%1\\b.qsig").arg(QString(300, QLatin1Char('w'))), false, {}},
        LongTextCase{"taller than the screen", QString(20000, QLatin1Char('x')), true, {}},
        LongTextCase{"question after a path taller than the screen",
                     QStringLiteral("/%1 file already exists. Do you want to overwrite it?")
                         .arg(QString(12000, QLatin1Char('p'))),
                     true, QStringLiteral("file already exists. Do you want to overwrite it?")}));

TEST(WholeTextBreaks, AfterEachPathSeparatorAndNowhereElse) {
    const QString zws(QChar(0x200B));
    EXPECT_EQ(WholeText::breakable(QStringLiteral("/a b\\c")),
              QStringLiteral("/") + zws + QStringLiteral("a b\\") + zws + QStringLiteral("c"));
}

TEST(MessageDialogLook, HasTheProgramCaptionAndImageButtons) {
    const MessageDialog dialog(QStringLiteral("text"), IconKind::Error, MessageButtons::Ok, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quillbox Reader"));
    EXPECT_EQ(dialog.findChildren<ImageButton*>().size(), 4);
    EXPECT_EQ(control<ImageButton>(&dialog, messageid::yes)->text(), QStringLiteral("&Yes"));
}

TEST(PassPhrase, RefusesAnEmptyEntryAndStaysOpen) {
    ModalAnswerer answerer;
    answerer.expect([](QDialog* prompt) {
        clickControl(passphraseid::ok)(prompt); // empty: refused while the prompt stays open
        EXPECT_TRUE(prompt->isVisible());
        typeAndClick(QStringLiteral("Secret"), passphraseid::ok)(prompt);
    });
    answerer.expect(clickControl(messageid::ok)); // the refusal's message
    const auto phrase = PassPhraseDialog::AskPassPhrase(nullptr);
    ASSERT_TRUE(phrase.has_value());
    EXPECT_EQ(phrase->str(), "Secret");
    ASSERT_EQ(answerer.seen().size(), 2u); // the prompt, then the message
    EXPECT_EQ(answerer.seen()[1].kind, QStringLiteral("MessageDialog"));
    EXPECT_EQ(answerer.seen()[1].text, QStringLiteral("Cannot leave password blank!"));
    EXPECT_EQ(answerer.seen()[1].icon, 161);
    EXPECT_TRUE(answerer.allAnswered());
}

struct PhraseCase {
    const char* name;
    std::function<ModalAnswerer::Answer()> answer;
    std::optional<std::string> expected;
};

class PassPhraseResult : public ::testing::TestWithParam<PhraseCase> {};

TEST_P(PassPhraseResult, ReturnsTheTextAsTypedOrNothing) {
    ModalAnswerer answerer;
    answerer.expect(GetParam().answer());
    const auto phrase = PassPhraseDialog::AskPassPhrase(nullptr);
    ASSERT_EQ(phrase.has_value(), GetParam().expected.has_value()) << GetParam().name;
    if (phrase) {
        EXPECT_EQ(phrase->str(), *GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Endings, PassPhraseResult,
    ::testing::Values(
        PhraseCase{"single space", [] { return typeAndClick(QStringLiteral(" "), passphraseid::ok); }, " "},
        PhraseCase{"case and blanks kept",
                   [] { return typeAndClick(QStringLiteral(" AbC d "), passphraseid::ok); }, " AbC d "},
        PhraseCase{"non-ASCII as UTF-8",
                   [] { return typeAndClick(QStringLiteral("caf\u00e9"), passphraseid::ok); }, "caf\xc3\xa9"},
        PhraseCase{"cancel", [] { return typeAndClick(QStringLiteral("typed"), passphraseid::cancel); },
                   std::nullopt},
        PhraseCase{"escape", [] { return pressKey(Qt::Key_Escape); }, std::nullopt},
        PhraseCase{"close box", [] { return closeBox(); }, std::nullopt}));

TEST(PassPhrase, ShowsThePadlockAndMasksTheEntry) {
    const PassPhraseDialog dialog(nullptr, PassPhraseDialog::passPhraseTexts());
    EXPECT_EQ(iconOf(&dialog, passphraseid::icon), 166);
    EXPECT_EQ(control<QLabel>(&dialog, passphraseid::title)->text(), QStringLiteral("SYMMETRIC DECRYPTION"));
    EXPECT_EQ(control<QLineEdit>(&dialog, passphraseid::entry)->echoMode(), QLineEdit::Password);
}

TEST(StorePassword, NamesTheStoreAndSaysWhenTheLastTryWasWrong) {
    ModalAnswerer answerer;
    answerer.expect(typeAndClick(QStringLiteral("db pass"), passphraseid::ok));
    answerer.expect(clickControl(passphraseid::cancel));
    const auto first =
        PassPhraseDialog::askStorePassword(nullptr, QStringLiteral("NSS Certificate DB"), false);
    const auto retry =
        PassPhraseDialog::askStorePassword(nullptr, QStringLiteral("NSS Certificate DB"), true);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->str(), "db pass");
    EXPECT_FALSE(retry.has_value());
    const PromptTexts once = PassPhraseDialog::storePasswordTexts(QStringLiteral("Token"), false);
    const PromptTexts again = PassPhraseDialog::storePasswordTexts(QStringLiteral("Token"), true);
    EXPECT_TRUE(once.note.contains(QStringLiteral("Token")));
    EXPECT_TRUE(again.note.contains(QStringLiteral("Token")));
    EXPECT_NE(once.note, again.note);
}

struct NoticeCase {
    const char* name;
    bool tick;
    std::function<ModalAnswerer::Answer()> close;
    bool expected;
};

class KeyNotice : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(KeyNotice, ReportsTheTickOnlyWithOk) {
    const NoticeCase& c = GetParam();
    ModalAnswerer answerer;
    answerer.expect([c](QDialog* dialog) {
        control<QCheckBox>(dialog, keynoticeid::dontShowAgain)->setChecked(c.tick);
        c.close()(dialog);
    });
    EXPECT_EQ(KeyNoticeDialog::ShowKeyNotice(nullptr), c.expected) << c.name;
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].icon, 166);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, KeyNotice,
    ::testing::Values(NoticeCase{"ticked, OK", true, [] { return clickControl(keynoticeid::ok); }, true},
                      NoticeCase{"unticked, OK", false, [] { return clickControl(keynoticeid::ok); }, false},
                      NoticeCase{"ticked, Enter", true, [] { return pressKey(Qt::Key_Return); }, true},
                      NoticeCase{"ticked, Escape", true, [] { return pressKey(Qt::Key_Escape); }, false},
                      NoticeCase{"ticked, close box", true, [] { return closeBox(); }, false}));

TEST(KeyNoticeLook, StartsUntickedWithOnlyOk) {
    KeyNoticeDialog dialog(nullptr);
    dialog.show();
    EXPECT_FALSE(control<QCheckBox>(&dialog, keynoticeid::dontShowAgain)->isChecked());
    EXPECT_EQ(control<QCheckBox>(&dialog, keynoticeid::dontShowAgain)->text(),
              QStringLiteral("Do not show this dialog again"));
    EXPECT_EQ(dialog.findChildren<ImageButton*>().size(), 1);
}

using enum VerdictStatus;

SignatureVerdict verdict(VerdictStatus integrity, VerdictStatus validity, VerdictStatus revocation,
                         VerdictStatus signature) {
    SignatureVerdict v;
    v.header = "FAILED";
    v.headerIcon = VerdictIcon::RedCross;
    v.description = "CN=Test Signer\nEmail=signer@example.com\nO=Acme Ltd\nOU=Sales\n";
    v.signatureText = "Verified";
    v.integrityText = "Contents not altered after message was signed";
    v.validityText = "Certificate Expired";
    v.revocationText = "Certificate revocation status unknown";
    v.integrityStatus = integrity;
    v.validityStatus = validity;
    v.revocationStatus = revocation;
    v.signatureStatus = signature;
    return v;
}

TEST(SignatureResult, GivesEachStatusItsIcon) {
    // integrity, validity, revocation, signature: one of each value, and a value outside the named ones.
    const SignatureResultDialog dialog(verdict(Good, Bad, Unknown, static_cast<VerdictStatus>(7)), nullptr);
    EXPECT_EQ(iconOf(&dialog, resultid::integrityIcon), 172);
    EXPECT_EQ(iconOf(&dialog, resultid::validityIcon), 182);
    EXPECT_EQ(iconOf(&dialog, resultid::revocationIcon), 184);
    EXPECT_EQ(iconOf(&dialog, resultid::signatureIcon), 184);
    EXPECT_EQ(iconOf(&dialog, resultid::headerIcon), 182);
}

TEST(SignatureResult, TheSignerBoxGrowsWithItsTextAndTheControlsMoveBelowIt) {
    SignatureVerdict longer = verdict(Unknown, Unknown, Unknown, Unknown);
    longer.description = "CN=" + std::string(300, 'n') + "\nO=Acme Ltd\nOU=Sales\nL=Town\nC=GB\n";
    const SignatureResultDialog plain(verdict(Unknown, Unknown, Unknown, Unknown), nullptr);
    const SignatureResultDialog dialog(longer, nullptr);
    auto* box = control<WholeText>(&dialog, resultid::description);
    EXPECT_GT(dialog.height(), plain.height());
    EXPECT_LE(box->heightForWidth(box->area()->width()), box->area()->height());
    EXPECT_GT(control<QWidget>(&dialog, resultid::ok)->y(), box->area()->geometry().bottom());
    EXPECT_GT(iconControlTop(&dialog, resultid::signatureIcon), box->area()->geometry().bottom());
}

TEST(SignatureResult, PaintsTheSignerOneFieldALine) {
    SignatureVerdict expiring = verdict(Good, Good, Good, Good);
    expiring.description += "Certificate expires on: Mar 14 09:30:00 2027 GMT\n";
    SignatureResultDialog dialog(expiring, nullptr);
    dialog.show();
    auto* box = control<WholeText>(&dialog, resultid::description);
    const QList<qreal> lines = box->paintedLineWidths();
    ASSERT_EQ(lines.size(), 5) << "CN, Email, O, OU and the expiry";
    EXPECT_LE(*std::max_element(lines.begin(), lines.end()), box->contentsRect().width());
}

// Every one-line text of every dialog is laid out whole in its control, whatever the face's width.
class DialogTexts : public ::testing::TestWithParam<std::function<QDialog*()>> {};

TEST_P(DialogTexts, FitTheirControls) {
    const std::unique_ptr<QDialog> dialog(GetParam()());
    dialog->show();
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->wordWrap() && qobject_cast<const WholeText*>(label) == nullptr) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height()) << label->text().toStdString();
        } else if (!label->wordWrap()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
                << label->text().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryDialog, DialogTexts,
    ::testing::Values(
        []() -> QDialog* { return new SignatureResultDialog(verdict(Good, Bad, Unknown, Good), nullptr); },
        []() -> QDialog* { return new PassPhraseDialog(nullptr, PassPhraseDialog::passPhraseTexts()); },
        []() -> QDialog* {
            return new PassPhraseDialog(
                nullptr, PassPhraseDialog::storePasswordTexts(QStringLiteral("NSS Certificate DB"), true));
        },
        []() -> QDialog* { return new KeyNoticeDialog(nullptr); }));

TEST(SignatureResult, DetailsOpenTheSignerFactsBelowTheTextsWithTheFingerprintToCopy) {
    SignatureVerdict withFacts = verdict(Good, Good, Good, Good);
    withFacts.signers.resize(2);
    withFacts.signers[1].sha256 = std::string(64, 'e');
    withFacts.signers[1].chainTrusted = true;
    SignatureResultDialog dialog(withFacts, nullptr);
    const SignatureResultDialog plain(verdict(Good, Good, Good, Good), nullptr);
    EXPECT_EQ(control<QWidget>(&plain, resultid::detailsButton), nullptr) << "no facts, no Details";
    auto* shown = control<QPlainTextEdit>(&dialog, resultid::details);
    auto* button = control<QWidget>(&dialog, resultid::detailsButton);
    dialog.show();
    const int closedHeight = dialog.height();
    EXPECT_FALSE(shown->isVisible()) << "closed when the dialog opens";
    EXPECT_GT(button->y(), control<QWidget>(&dialog, resultid::revocation)->geometry().bottom());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(shown->isVisible() && shown->isReadOnly() && shown->y() > button->geometry().bottom());
    EXPECT_TRUE(shown->textInteractionFlags() & Qt::TextSelectableByMouse);
    const QString text = shown->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Signer 2 of 2\nSubject: ")) &&
                text.contains(QStringLiteral("SHA-256 fingerprint: ") + QString(64, QLatin1Char('e'))) &&
                text.contains(QStringLiteral("Certificate chain: trusted")))
        << text.toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(dialog.height(), closedHeight);
}

TEST(SignatureResult, SetStatusesTakesIntegrityValidityRevocationSignatureInThatOrder) {
    SignatureResultDialog dialog(verdict(Unknown, Unknown, Unknown, Unknown), nullptr);
    dialog.setStatuses(Bad, Good, Bad, Good);
    EXPECT_EQ(iconOf(&dialog, resultid::integrityIcon), 182);
    EXPECT_EQ(iconOf(&dialog, resultid::validityIcon), 172);
    EXPECT_EQ(iconOf(&dialog, resultid::revocationIcon), 182);
    EXPECT_EQ(iconOf(&dialog, resultid::signatureIcon), 172);
}

TEST(SignatureResult, ShowsTheTextsAndOnlyOk) {
    SignatureVerdict success = verdict(Good, Good, Good, Good);
    success.header = "SUCCESS";
    success.headerIcon = VerdictIcon::GreenTick;
    ModalAnswerer answerer;
    answerer.expect([](QDialog* dialog) {
        EXPECT_TRUE(control<QWidget>(dialog, resultid::ok)->isVisible());
        EXPECT_FALSE(control<QWidget>(dialog, resultid::cancel)->isVisible());
        EXPECT_EQ(iconOf(dialog, resultid::headerIcon), 183);
        EXPECT_EQ(control<QLabel>(dialog, resultid::header)->text(), QStringLiteral("SUCCESS"));
        EXPECT_EQ(control<QLabel>(dialog, resultid::description)->text(),
                  QStringLiteral("CN=Test Signer\nEmail=signer@example.com\nO=Acme Ltd\nOU=Sales\n"));
        EXPECT_EQ(control<QLabel>(dialog, resultid::signedBy)->text(),
                  QStringLiteral("This data is digitally signed by:"));
        EXPECT_EQ(control<QLabel>(dialog, resultid::revocation)->text(),
                  QStringLiteral("Certificate revocation status unknown"));
        clickControl(resultid::ok)(dialog);
    });
    SignatureResultDialog::showResult(success, nullptr);
    EXPECT_TRUE(answerer.allAnswered());
    EXPECT_EQ(answerer.seen().size(), 1u);
}

TEST(SignatureResult, WearsTheButtonFacesTheOtherWayRound) {
    const SignatureResultDialog result(verdict(Good, Good, Good, Good), nullptr);
    const MessageDialog message(QStringLiteral("x"), IconKind::Warning, MessageButtons::Ok, nullptr);
    // A point on the face left of the caption, in the normal state.
    const auto facePixel = [](ImageButton* button) {
        return button->grab().toImage().pixelColor(4, button->height() / 2);
    };
    const auto picturePixel = [](int id, QSize size) {
        return pictures::render(id, size).pixelColor(4, size.height() / 2);
    };
    auto* resultOk = control<ImageButton>(&result, resultid::ok);
    auto* messageOk = control<ImageButton>(&message, messageid::ok);
    EXPECT_EQ(facePixel(resultOk), picturePixel(faceHover, resultOk->size()));
    EXPECT_EQ(facePixel(messageOk), picturePixel(faceNormal, messageOk->size()));
}

// Under a dark desktop theme the program's windows stay dark on light; the file chooser follows the desktop.
TEST(ProgramColours, StayDarkOnLightUnderADarkDesktopTheme) {
    const QPalette desktop = QApplication::palette();
    QApplication::setPalette(QPalette(Qt::white, QColor(40, 40, 40))); // light text on a dark window
    {
        const MessageDialog message(QStringLiteral("text"), IconKind::Warning, MessageButtons::Ok, nullptr);
        MainWindow window;
        const HelpWindow help;
        const QFileDialog chooser(&window);
        for (const QWidget* widget : std::initializer_list<const QWidget*>{
                 control<QLabel>(&message, messageid::text), window.form()->findChild<QLabel*>(),
                 window.form()->findChild<QRadioButton*>(), help.browser()}) {
            EXPECT_LT(widget->palette().color(widget->foregroundRole()).lightness(), 100);
        }
        EXPECT_EQ(chooser.palette().color(QPalette::WindowText), QColor(Qt::white));
    }
    QApplication::setPalette(desktop);
}

} // namespace
