#include "windows/common/FileDialogs.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>

QFileDialog *NewFileDialog(QWidget *parent)
{
    auto *dialog = new QFileDialog(parent);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog] {
        for (const QCompleter *completer : dialog->findChildren<QCompleter *>())
            if (completer->popup() != nullptr)
                completer->popup()->hide();
    });
    return dialog;
}
