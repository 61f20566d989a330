#include "app/file_chooser.h"

#include "app/on_screen.h"

#include <QDir>
#include <QFileDialog>
#include <QPointer>

FileChooser platformFileChooser(QWidget* parent) {
    return [owner = QPointer<QWidget>(parent)](const FileRequest& request) {
        QFileDialog dialog(owner, QString(), QString(), request.filter);
        // Always an "open" dialog: an output file need not exist, but nobody is asked to overwrite
        // here; the job asks later.
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.multiple    ? QFileDialog::ExistingFiles
                           : request.mustExist ? QFileDialog::ExistingFile
                                               : QFileDialog::AnyFile);
        if (!request.initialPath.isEmpty()) {
            dialog.selectFile(request.initialPath);
        }
        // On small or scaled screens the dialog's own size may not fit.
        placeOver(&dialog, owner != nullptr ? owner->window() : nullptr);
        QStringList chosen = dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
        // Qt spells paths with "/" everywhere; the form shows them as the system does.
        for (QString& path : chosen) {
            path = QDir::toNativeSeparators(path);
        }
        return chosen;
    };
}
