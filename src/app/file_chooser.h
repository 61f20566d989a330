#pragma once
// The three Browse dialogs of the form, behind one replaceable function so that tests can answer
// them with paths.
#include <QStringList>

#include <functional>

class QWidget;

struct FileRequest {
    enum class Purpose { Input, Output, Crl };
    Purpose purpose;
    QString filter;      // e.g. "Signed Files (*.qsig)"
    QString initialPath; // preselected file name, may be empty
    bool multiple;       // several files may be chosen
    bool mustExist;      // only existing files are accepted
};

// The chosen absolute paths in the dialog's order; empty when the person cancelled.
using FileChooser = std::function<QStringList(const FileRequest&)>;

// The platform's file-open dialog.
FileChooser platformFileChooser(QWidget* parent);
