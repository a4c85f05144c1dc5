#pragma once
// A whole number set with a slider dialog. While the dialog runs each step is applied
// live (100 ms after the last one), so a live item moves the server setting as the user
// slides; Cancel puts back the previous value and whatever rules made of the steps.

#include "ConfigItem.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QSlider;
class QPushButton;

class CConfigSliderDlg : public QDialog {
    Q_OBJECT
public:
    CConfigSliderDlg();

    void SetItem(CConfigItem* item) { m_item = item; }
    void SetOwner(QObject* owner) { m_owner = owner; }
    void SetRange(const Variant& minimum, const Variant& defaultValue, const Variant& maximum);
    void SetRangeLabels(const std::string& minimum, const std::string& middle,
                        const std::string& maximum);
    void SetTickFrequency(int frequency) { m_tickFrequency = frequency; }
    // The unit the value is shown with, such as "dBu".
    void SetUnits(const std::string& units) { m_units = units; }
    // The value as the dialog shows it, with its unit: "+2 lines" when the range goes
    // below zero, so that a positive value is told apart from a negative one.
    std::string ValueText() const;
    // The slider works on whole numbers.
    void SetCurrent(const Variant& value);
    const Variant& Current() const { return m_current; }
    std::int32_t Minimum() const;
    std::int32_t Maximum() const;

    // What the controls do, also callable directly.
    void StepDown();
    void StepUp();
    void MoveTo(int position);
    void RestoreDefault();
    bool ApplyPending() const { return m_stepTimer != 0; }
    // Drops a step not yet applied: the item writes the value it keeps itself.
    void DropPendingApply();

    // Shows the controls for the current value and range; called when the dialog opens.
    void Prepare();

protected:
    void timerEvent(QTimerEvent* event) override;
    void done(int result) override;

private:
    void setCurrent(std::int32_t value);
    void changed();
    void apply();
    void hitLimit(bool above);
    void showValue();

    CConfigItem* m_item = nullptr;
    QObject* m_owner = nullptr;
    std::string m_minimumLabel;
    std::string m_maximumLabel;
    std::string m_middleLabel;
    std::string m_units;
    int m_tickFrequency = 1;
    Variant m_default;
    Variant m_maximum;
    Variant m_minimum;
    Variant m_current;
    int m_stepTimer = 0;

    QSlider* m_slider = nullptr;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_down = nullptr;
    QPushButton* m_up = nullptr;
    QLabel* m_labels[3] = {};
};

class CConfigSliderItem : public CConfigItem {
public:
    CConfigSliderItem(int labelId, std::string elementXPath, std::string attributeName,
                      std::uint32_t flags, QObject* owner);
    ~CConfigSliderItem() override;

    void SetRange(const Variant& minimum, const Variant& defaultValue, const Variant& maximum);
    void SetRangeLabels(const std::string& minimum, const std::string& middle,
                        const std::string& maximum);
    void SetTickFrequency(int frequency);
    void SetUnits(const std::string& units);
    // The slider dialog, made on first use: a page holds many sliders and opens few.
    CConfigSliderDlg& Dialog();

    std::string ValueText(const Variant& value) const override;
    bool TrackPopup(QPoint point) override;
    bool OffersChange() const override { return true; }

private:
    // Puts back what the dialog's steps changed, in the document and at the server, and the
    // item's own value; tells the user of any setting the server kept.
    void undoSteps(class ConfigCheckpoint& checkpoint, const Variant& previous);

    struct Range {
        Variant minimum;
        Variant defaultValue;
        Variant maximum;
        std::string labels[3];
        int tickFrequency = 1;
    };
    Range m_range;
    std::unique_ptr<CConfigSliderDlg> m_dialog;
    std::string m_units;
};
