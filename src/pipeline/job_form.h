#pragma once
// The Verify/Decrypt form as the job driver sees it: five values and a few effects on the boxes.
// Setting a value changes only the form's stored value; showValues() puts the stored values into
// the boxes (the "refresh").
#include <string>

enum class FormBox { Input, Output, CrlPath };

struct FormValues {
    std::string input;
    std::string output;
    int crlChoice = 1; // 0: "Yes", check revocation; 1: "No"
    std::string crlPath;
    bool multipleSelection = false;
};

class JobForm {
public:
    virtual ~JobForm() = default;

    // Reads the boxes into the stored values and returns them.
    virtual FormValues readValues() = 0;
    virtual void setBoxText(FormBox box, const std::string& text) = 0;
    virtual void setCrlChoice(int choice) = 0;
    virtual void showValues() = 0;
    virtual void focusBox(FormBox box) = 0;
    // Enables the output box and its Browse button.
    virtual void enableOutput() = 0;
};
