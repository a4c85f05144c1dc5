#pragma once
// The audio tag editor of one channel: a list of its tracks (A1, A2, ...) with their
// language tags, picked by touch from the tags in use and the language codes, or typed on
// the on-screen keyboard; output tracks have a primary and a secondary tag and a "play
// silence" box. OK writes the tags into the document.

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QPushButton;
class QVBoxLayout;
class XmlDocument;

// The tracks and their tag cells.
class CAudioTracksListCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CAudioTracksListCtrl(QWidget* parent = nullptr);

    void SetMode(bool input) { m_input = input; }
    void SetExistingTags(std::vector<std::string> tags) { m_existing = std::move(tags); }
    const std::vector<std::string>& ExistingTags() const { return m_existing; }
    // Rows are kept in track order.
    void AddRow(int index, const std::string& label, const std::string& first,
                const std::string& second, bool playSilence);
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    struct Tags {
        std::string first; // "<No audio tag>" reads as empty
        std::string second;
        bool playSilence = false;
    };
    Tags GetRow(int index) const;
    bool HasRow(int index) const { return row(index) != nullptr; }
    // The cell's button, to touch it: second for the output secondary tag.
    QPushButton* Cell(int index, bool second) const;
    QCheckBox* PlaySilenceBox(int index) const;
    // Whether a tag or a play-silence box now differs from how the dialog opened.
    bool IsModified() const;
    // What a touched cell offers, in order: no tag, the tags in use, the language codes and
    // a typed tag.
    std::vector<std::string> Offers() const;

private:
    struct Row {
        int index = 0;
        QPushButton* cells[2] = {};
        QCheckBox* playSilence = nullptr;
        std::string initial[2];
        bool initialSilence = false;
    };
    void editCell(QPushButton* cell);
    static std::string cellText(const QPushButton* cell);
    const Row* row(int index) const;

    bool m_input = true;
    bool m_modified = false;
    std::vector<std::string> m_existing;
    std::vector<Row> m_rows;
    QVBoxLayout* m_column = nullptr;
};

class CAudioTagsDlg : public QDialog {
    Q_OBJECT
public:
    CAudioTagsDlg(int channelIndex, bool input, QWidget* owner = nullptr);

    CAudioTracksListCtrl& Tracks() { return *m_tracks; }
    // The tags in use anywhere in the document, each spelling once regardless of case.
    static void SetExistingAudioTags(const XmlDocument& document, std::vector<std::string>& tags);

    void accept() override;

private:
    std::string componentsPath() const;

    int m_channelIndex;
    bool m_input;
    CAudioTracksListCtrl* m_tracks = nullptr;
};
