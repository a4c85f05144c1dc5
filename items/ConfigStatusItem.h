#pragma once
// A read-only light that shows a live status of a channel, refreshed from the server; it
// asks to be repainted only when the value changes.

#include "ConfigItem.h"

class CConfigStatusItem : public CConfigItem {
public:
    CConfigStatusItem(int labelId, int channelIndex, std::string statusName,
                      const Variant& initialValue);

    void Draw(QPainter& painter, const QRect& row) override;
    bool UpdateStatus() override;

    const Variant& StatusValue() const { return m_statusValue; }
    bool IsLit() const;

private:
    int m_channelIndex;
    std::string m_statusName;
    Variant m_statusValue;
};
