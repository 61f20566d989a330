#pragma once
// The Verify/Decrypt form as the job driver sees it: its values and a few effects on the boxes.
// Setting a value changes only the form's stored value; showValues() puts the stored values into
// the boxes (the "refresh").
#include "e2eCrypto/revocation_choice.h"

#include <string>
#include <vector>

enum class FormBox { Input, Output, CrlPath };

struct FormValues {
    std::string input;
    std::string output;
    RevocationChoice crlChoice = RevocationChoice::Skip;
    std::string crlPath;
    bool multipleSelection = false;
    // A multiple selection's inputs and their outputs, in order. The desktop form splits them from
    // its boxes' ";"-separated texts (splitPathList); the command line hands over its arguments, so
    // a ";" in a file name is an ordinary character there.
    std::vector<std::string> inputs = {};
    std::vector<std::string> outputs = {};
};

// Every operation is pure, as JobUi's are: the desktop's forwarder to its GUI thread must carry
// each new one.
class JobForm {
public:
    virtual ~JobForm() = default;

    // Reads the boxes into the stored values and returns them.
    virtual FormValues readValues() = 0;
    virtual void setBoxText(FormBox box, const std::string& text) = 0;
    virtual void setCrlChoice(RevocationChoice choice) = 0;
    virtual void showValues() = 0;
    virtual void focusBox(FormBox box) = 0;
    // Enables the output box and its Browse button.
    virtual void enableOutput() = 0;
};
