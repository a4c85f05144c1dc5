#pragma once
// A bit mask of named options, ticked in a check-box dialog. Option i is bit i. The mask is
// held by the item; the owner page writes it where it belongs.

#include "ConfigItem.h"

#include <QDialog>

class QCheckBox;
class QVBoxLayout;

class CConfigMaskItem : public CConfigItem {
public:
    CConfigMaskItem(int labelId, std::int32_t initialMask, std::string elementXPath,
                    std::string attributeName, std::uint32_t flags, QObject* owner);

    void AddString(const std::string& text) { m_options.push_back(text); }
    const std::vector<std::string>& Options() const { return m_options; }

    // "None" for an empty mask, else each set option's name followed by a blank.
    std::string ValueText(const Variant& value) const override;
    bool TrackPopup(QPoint point) override;
    bool OffersChange() const override { return true; }

private:
    std::vector<std::string> m_options;
};

// The check-box dialog of a mask item: one touch check box per option.
class CConfigMaskDlg : public QDialog {
    Q_OBJECT
public:
    CConfigMaskDlg(std::int32_t mask, QWidget* owner);

    // Adds the option names in order, then the boxes exist.
    void SetOptions(const std::vector<std::string>& options);
    std::int32_t Mask() const;
    const std::vector<QCheckBox*>& CheckBoxes() const { return m_boxes; }

private:
    std::int32_t m_initialMask;
    std::vector<QCheckBox*> m_boxes;
    QVBoxLayout* m_boxLayout = nullptr;
};
