#pragma once
// The base of the program's Ok/Cancel data dialogs. A run loads the dialog's data, shows it
// modally and, only when Ok closed it, stores the data; clean-up runs on every path.

#include <QDialog>
#include <QString>

class QFrame;
class QPushButton;

class TDataDialogBase : public QDialog
{
    Q_OBJECT
public:
    explicit TDataDialogBase(QWidget *parent = nullptr);

    // Runs the dialog modally with argument; the result text after Ok, empty otherwise.
    virtual QString RunDialog(const QString &argument);
    // Fills the dialog before it is shown; the base keeps argument as the result text.
    virtual void LoadData(const QString &argument);
    // Writes the dialog's values after Ok; the base writes nothing.
    virtual void StoreData();
    // End-of-run clean-up, also after Cancel or a failure; the base has nothing to clean.
    virtual void ReleaseData();

    // The bottom bar, 41 high across the whole width, with the buttons at its right end.
    QFrame *m_buttonPanel;
    QFrame *m_buttonBox;
    QPushButton *m_okButton;
    QPushButton *m_cancelButton;

protected:
    void resizeEvent(QResizeEvent *event) override;

    QString m_resultText;

private:
    void OkClicked();
    void CancelClicked();
    void PlaceBottomBar();
};
