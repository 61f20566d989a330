#include "support/fake_job_form.h"

#include <algorithm>

namespace {
std::string& field(FormValues& values, FormBox box) {
    switch (box) {
    case FormBox::Input:
        return values.input;
    case FormBox::Output:
        return values.output;
    case FormBox::CrlPath:
        break;
    }
    return values.crlPath;
}
} // namespace

FakeJobForm::FakeJobForm(const FormValues& values) : shown(values), stored(values) {}

std::string FakeJobForm::boxName(FormBox box) {
    switch (box) {
    case FormBox::Input:
        return "Input";
    case FormBox::Output:
        return "Output";
    case FormBox::CrlPath:
        break;
    }
    return "CrlPath";
}

FormValues FakeJobForm::readValues() {
    stored = shown;
    effects.push_back("readValues()");
    return stored;
}

void FakeJobForm::setBoxText(FormBox box, const std::string& text) {
    field(stored, box) = text;
    effects.push_back("setBoxText(" + boxName(box) + ", \"" + text + "\")");
}

void FakeJobForm::setCrlChoice(RevocationChoice choice) {
    stored.crlChoice = choice;
    effects.push_back(choice == RevocationChoice::Check ? "setCrlChoice(Check)" : "setCrlChoice(Skip)");
}

void FakeJobForm::showValues() {
    shown = stored;
    effects.push_back("showValues()");
}

void FakeJobForm::focusBox(FormBox box) {
    focused = box;
    effects.push_back("focusBox(" + boxName(box) + ")");
}

void FakeJobForm::enableOutput() {
    outputEnabled = true;
    effects.push_back("enableOutput()");
}

int FakeJobForm::refreshCount() const {
    return static_cast<int>(std::count(effects.begin(), effects.end(), std::string("showValues()")));
}
