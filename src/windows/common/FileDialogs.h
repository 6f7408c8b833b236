#pragma once
// The file dialogs of the program's windows.

class QFileDialog;
class QWidget;

// A file dialog owned by parent whose list of names completing a typed one closes with the
// dialog: left open, it stays on the screen after the dialog and takes the next Enter.
QFileDialog *NewFileDialog(QWidget *parent);
