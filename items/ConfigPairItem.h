#pragma once
// A row of two texts in two columns, selected by a touch anywhere on it; pages act on the
// selected row (for example the remote hosts list).

#include "ConfigItem.h"

class CConfigPairItem : public CConfigItem {
public:
    CConfigPairItem(std::string firstText, std::string secondText, std::uint32_t flags,
                    QObject* owner);

    void SetTexts(std::string firstText, std::string secondText);
    const std::string& FirstText() const { return m_firstText; }
    const std::string& SecondText() const { return m_secondText; }

    void Draw(QPainter& painter, const QRect& row) override;
    bool HitTest(QPoint point) const override;
    bool TrackPopup(QPoint point) override;

private:
    std::string m_firstText;
    std::string m_secondText;
};
