#pragma once
// The touch file chooser behind the "Save As" and "Open" questions. It lists one folder as
// finger-sized rows (a row up to the parent, the subfolders to go into, the files that match
// the filter) with a wide scroll bar, takes the file name from the on-screen keyboard, and
// answers with the full path of the file. It opens in the configurations folder, refuses a
// name that is no file name with a message, and asks before a file is saved over.

#include "Prompter.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

class CTouchFileDlg : public QDialog {
    Q_OBJECT
public:
    // What a row of the list stands for; kept in the row's Qt::UserRole.
    enum RowKind { UpRow, FolderRow, FileRow };

    CTouchFileDlg(FileDialogKind kind, const QString& title, const QString& filter,
                  QWidget* owner = nullptr);

    // Where saved configurations are kept: "trellis/configurations" in the user's data
    // folder (~/.local/share unless XDG_DATA_HOME says otherwise).
    static QString ConfigurationsFolder();

    // Shows the folder's rows. A folder that cannot be read is said so under the title.
    void SetFolder(const QString& path);
    const QString& Folder() const { return m_folder; }
    // The full path of the chosen file, once the dialog is accepted.
    const QString& FilePath() const { return m_filePath; }

    QListWidget* List() const { return m_list; }
    QLabel* FolderLabel() const { return m_folderLabel; }
    // A line that tells what went wrong with a folder; hidden when nothing did.
    QLabel* Notice() const { return m_notice; }
    QLineEdit* NameEdit() const { return m_nameEdit; }

    // What a touch on the name field does: the on-screen keyboard.
    void EditName();
    // Takes the name only when it names a file that may be saved or opened.
    void accept() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void touchRow(QListWidgetItem* item);
    void addRow(RowKind kind, const QString& text, const QString& path);
    void showFolderText();
    // Whether the file the name gives may be taken; says why not when it may not.
    bool mayTake(const QString& name, const QString& path);
    void refuse(const QString& text);

    FileDialogKind m_kind;
    QStringList m_patterns;
    QString m_extension;
    QString m_folder;
    QString m_filePath;
    QLabel* m_folderLabel = nullptr;
    QLabel* m_notice = nullptr;
    QListWidget* m_list = nullptr;
    QLineEdit* m_nameEdit = nullptr;
};
