#include "TouchFileDlg.h"

#include "FileNames.h"
#include "Metrics.h"
#include "TouchWidgets.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr QSize kDialogSize(528, 345);
constexpr QSize kWorkstationDialogSize(480, 305);
constexpr int kPathRole = Qt::UserRole + 1;

const QString kKeyboardTitle = QStringLiteral("Enter File Name");

// Subfolders and files by name, whatever their case. Hidden ones are not listed (no
// QDir::Hidden): a user keeps no configurations there.
constexpr QDir::SortFlags kByName = QDir::Name | QDir::IgnoreCase;

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

CTouchFileDlg::CTouchFileDlg(FileDialogKind kind, const QString& title, const QString& filter,
                             QWidget* owner)
    : QDialog(owner), m_kind(kind), m_patterns(FilterPatterns(filter)),
      m_extension(PatternExtension(m_patterns)) {
    setWindowTitle(title);
    resize(IsWorkstationMode() ? kWorkstationDialogSize : kDialogSize);
    applyTouchBackground(this);
    setStyleSheet(touchStyleSheet());

    auto* column = new QVBoxLayout(this);
    // The title shows inside the dialog too, as a touch screen has no window frames; the
    // folder shown stands beside it.
    auto* top = new QHBoxLayout;
    top->addWidget(makeCaptionHeading(this));
    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("Folder"));
    m_folderLabel->setFont(FrmwkGetFont(FONT_NORMAL));
    // A long path must not widen the dialog: it is cut at its start instead.
    m_folderLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_folderLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    top->addWidget(m_folderLabel, 1);
    column->addLayout(top);

    m_notice = makeNoteLabel(this, QStringLiteral("Notice"));
    column->addWidget(m_notice);

    m_list = new QListWidget(this);
    m_list->setFont(FrmwkGetFont(FONT_NORMAL));
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setTextElideMode(Qt::ElideMiddle);
    makeScrollBarWide(m_list);
    connect(m_list, &QListWidget::itemClicked, this, &CTouchFileDlg::touchRow);
    column->addWidget(m_list, 1);

    // The name, then OK and Cancel, on one row to leave the list as many rows as can be.
    QHBoxLayout* bottom = makeOkCancelRow(this);
    auto* nameLabel = new QLabel(QStringLiteral("File name:"), this);
    nameLabel->setFont(FrmwkGetFont(FONT_NORMAL));
    m_nameEdit = makeKeyboardField(this, [this] { EditName(); });
    m_nameEdit->setObjectName(QStringLiteral("FileName"));
    m_nameEdit->setMinimumHeight(TouchTargetHeight());
    // Before the stretch that pushes the buttons right; the field takes the room instead.
    bottom->insertWidget(0, nameLabel);
    bottom->insertWidget(1, m_nameEdit, 1);
    column->addLayout(bottom);

    const QString configurations = ConfigurationsFolder();
    if (!configurations.isEmpty() && QDir().mkpath(configurations)) {
        SetFolder(configurations);
        return;
    }
    // Saving and opening still work elsewhere; the user learns why they start at home.
    SetFolder(QDir::homePath());
    const QString failure =
        QStringLiteral("The configurations folder %1 could not be made; "
                       "showing the home folder instead.")
            .arg(configurations.isEmpty() ? QStringLiteral("(none)")
                                          : QDir::toNativeSeparators(configurations));
    // The home folder may be unreadable too: then both are said.
    showNote(m_notice,
             m_notice->text().isEmpty() ? failure : failure + QLatin1Char('\n') + m_notice->text());
}

QString CTouchFileDlg::ConfigurationsFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return {};
    return data + QStringLiteral("/trellis/configurations");
}

void CTouchFileDlg::SetFolder(const QString& path) {
    const QDir folder(path);
    m_folder = folder.absolutePath();
    showFolderText();
    m_list->clear();

    QDir parent(m_folder);
    if (parent.cdUp())
        addRow(UpRow, QStringLiteral("Up one folder"), parent.absolutePath());
    if (!folder.isReadable()) {
        showNote(m_notice, QStringLiteral("The folder %1 cannot be read.")
                               .arg(QDir::toNativeSeparators(m_folder)));
        return;
    }
    showNote(m_notice, QString());
    for (const QFileInfo& info : folder.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, kByName))
        addRow(FolderRow, info.fileName() + QLatin1Char('/'), info.absoluteFilePath());
    for (const QFileInfo& info : folder.entryInfoList(m_patterns, QDir::Files, kByName))
        addRow(FileRow, info.fileName(), info.absoluteFilePath());
}

void CTouchFileDlg::addRow(RowKind kind, const QString& text, const QString& path) {
    static constexpr QStyle::StandardPixmap kIcons[] = {QStyle::SP_FileDialogToParent,
                                                        QStyle::SP_DirIcon, QStyle::SP_FileIcon};
    auto* item = new QListWidgetItem(style()->standardIcon(kIcons[kind]), text, m_list);
    item->setData(Qt::UserRole, kind);
    item->setData(kPathRole, path);
    // Rows as high as the configuration lists' rows: a finger hits them.
    item->setSizeHint(QSize(0, TouchTargetHeight()));
}

void CTouchFileDlg::touchRow(QListWidgetItem* item) {
    if (!item)
        return;
    const QString path = item->data(kPathRole).toString();
    if (item->data(Qt::UserRole).toInt() == FileRow)
        m_nameEdit->setText(QFileInfo(path).fileName());
    else
        SetFolder(path);
}

void CTouchFileDlg::EditName() {
    std::string text = m_nameEdit->text().toStdString();
    if (prompter().keyboard(text, kKeyboardTitle.toStdString(), this) != IDOK)
        return;
    m_nameEdit->setText(QString::fromStdString(text).trimmed());
}

void CTouchFileDlg::accept() {
    const QString name = m_nameEdit->text();
    // The caller gives a name without the filter's extension that extension (a save of
    // "studio" writes "studio.xml"), so the questions below are about the file that will
    // really be written or read, and that file's path is the answer.
    const QString path = QDir(m_folder).filePath(WithExtension(name, m_extension));
    if (!mayTake(name, path))
        return;
    m_filePath = path;
    QDialog::accept();
}

bool CTouchFileDlg::mayTake(const QString& name, const QString& path) {
    const bool save = m_kind == FileDialogKind::Save;
    if (name.isEmpty()) {
        refuse(save ? QStringLiteral("Enter a name for the file.")
                    : QStringLiteral("Choose a file to open."));
        return false;
    }
    if (!IsPlainFileName(name)) {
        refuse(QStringLiteral("%1 is not a file name. A file name is not \".\" or \"..\" and "
                              "holds no \"/\" or \"\\\".")
                   .arg(quoted(name)));
        return false;
    }
    const QFileInfo file(path);
    if (!FitsFileNameLength(file.fileName())) {
        refuse(QStringLiteral("%1 is too long for a file name.").arg(quoted(file.fileName())));
        return false;
    }
    if (!save) {
        if (file.isFile())
            return true;
        refuse(QStringLiteral("There is no file %1 in %2.")
                   .arg(quoted(file.fileName()), QDir::toNativeSeparators(m_folder)));
        return false;
    }
    if (file.isDir()) {
        refuse(QStringLiteral("%1 is a folder. Enter another name.").arg(quoted(file.fileName())));
        return false;
    }
    // A dangling link counts too: saving would write where it points.
    if (!file.exists() && !file.isSymLink())
        return true;
    const QString question = QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                 .arg(quoted(file.fileName()));
    return prompter().messageBox(question.toStdString(), windowTitle().toStdString(),
                                 MB_TOUCH_QUESTION | MB_DEFBUTTON2, this) == IDYES;
}

void CTouchFileDlg::refuse(const QString& text) {
    prompter().messageBox(text.toStdString(), windowTitle().toStdString(), MB_TOUCH_WARNING, this);
}

void CTouchFileDlg::showFolderText() {
    const QString path = QDir::toNativeSeparators(m_folder);
    m_folderLabel->setText(
        m_folderLabel->fontMetrics().elidedText(path, Qt::ElideLeft, m_folderLabel->width()));
}

void CTouchFileDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    showFolderText();
}
