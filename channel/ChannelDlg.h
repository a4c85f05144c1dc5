#pragma once
// The dialog of one channel tab: a list of the channel's settings, built once from the
// document by the item builders for the channel's type, kept consistent by the change
// rules, with live status rows refreshed every second.

#include "ChannelRows.h"

#include "platform/HResult.h"
#include "platform/MessageWindow.h"
#include "platform/XmlDocument.h"

#include <cstdint>
#include <string>
#include <vector>

class CConfigItem;
class CConfigVbiItem;
class CConfigListCtrl;
class CTouchScrollBtn;
class CTraceScope;
class Variant;
class XmlDocument;
class XmlNode;

// How often the channel dialogs and the channel page ask the channels for their state.
inline constexpr int kStatusPeriodMs = 1000;

class CChannelDlg : public CMessageWindow {
    Q_OBJECT
public:
    // The index of a channel element whose @channelIndex names no channel of its own.
    static constexpr int kNoChannelIndex = -2;

    CChannelDlg();
    ~CChannelDlg() override;

    // Stores the channel index (the channel's @channelIndex) and builds the dialog under
    // the parent. The channel's id names it in messages.
    bool Create(int channelIndex, const std::string& channelId, QWidget* parent);
    bool IsCreated() const { return m_channelIndex != -1; }
    int ChannelIndex() const { return m_channelIndex; }
    const std::string& ChannelId() const { return m_channelId; }
    const std::string& ChannelType() const { return m_channelType; }
    const std::string& ProfileLevel() const { return m_profileLevel; }
    const ChannelFlags& Flags() const { return m_flags; }
    CConfigListCtrl* List() const { return m_list; }
    CTouchScrollBtn* ScrollButton() const { return m_scroll; }

    // The change rules, by the changed item's label id; the answer is always 0.
    LRESULT OnItemChange(WPARAM labelId, CConfigItem* item);
    // Whether a change of the item with the label id rewrites other settings.
    static bool HasChangeRule(int labelId) { return RuleFor(labelId) != nullptr; }

    // The channel's audio component ids, in document order; the audio builders fill them.
    const std::vector<std::string>& AudioInputIds() const { return m_audioInputIds; }
    const std::vector<std::string>& AudioOutputIds() const { return m_audioOutputIds; }

    // Clamps a recording data rate (whole Mb/s) to what the format and chroma allow; true
    // when the clamped rate differs from the given one. sd422Maximum is the limit of
    // standard-definition 4:2:2.
    static bool CheckVideoDataRate(const std::string& format, const std::string& chroma, int rate,
                                   int& clamped, int sd422Maximum);
    // The same with the limit of the codec element the rate belongs to: the compression
    // rows, the channel rules and the System page's rewrite all clamp through this one.
    static bool CheckVideoDataRate(const std::string& format, const std::string& chroma, int rate,
                                   int& clamped, const XmlNode& codec);
    // The standard-definition 4:2:2 limit a codec element allows: 50 Mb/s with a Dv50
    // family or a high-definition MPEG profile, else 25.
    static int Sd422MaximumRate(const XmlNode& codec);

protected:
    LRESULT OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void OnInitDialog();
    // Reads the flags and texts of the channel from the document.
    void readChannelFacts(const XmlNode& root);
    // Runs the builders of the channel's type; a failing one ends the build.
    void buildItems(CTraceScope& scope, XmlDocument* document);

    // A channel XPath template with the channel index in place of %d, and the channel's
    // component references resolved to their ids: "//VideoCodec[@id=//Channel[...]/Video/
    // VideoCodecComponent/@id]" scans the document once per codec, "//VideoCodec[@id='C']"
    // once, and every visibility check of every row runs such a path.
    std::string path(const char* xpathTemplate) const;
    void resolveComponents(const XmlNode& root);
    // Makes the item a row describes, adds it to the list and returns it; null when the
    // row is not built for this channel.
    CConfigItem* AddRow(const RowSpec& row);
    void AddRows(const std::vector<RowSpec>& rows);
    bool exists(const std::string& xpath) const;

    // Video (video builders).
    HRESULT CreateVideoInputTypeConfig(XmlDocument* document);
    HRESULT CreateVideoOutputTypeConfig(XmlDocument* document);
    HRESULT CreateVideoOutputModeConfig(XmlDocument* document);
    HRESULT CreateOutputProcAmpConfig(XmlDocument* document);
    HRESULT CreateOutputTimingConfig(XmlDocument* document);
    HRESULT GetCustomInputCompositeType(XmlDocument* document, CConfigItem& item,
                                        std::intptr_t context, Variant& value);
    HRESULT PutCustomInputCompositeType(const Variant& value, XmlDocument* document,
                                        CConfigItem& item, std::intptr_t context);
    HRESULT GetCustomOutputCompositeType(XmlDocument* document, CConfigItem& item,
                                         std::intptr_t context, Variant& value);
    HRESULT PutCustomOutputCompositeType(const Variant& value, XmlDocument* document,
                                         CConfigItem& item, std::intptr_t context);
    // Makes two accessor members of this dialog the item's get and put callbacks.
    using GetMember = HRESULT (CChannelDlg::*)(XmlDocument*, CConfigItem&, std::intptr_t, Variant&);
    using PutMember = HRESULT (CChannelDlg::*)(const Variant&, XmlDocument*, CConfigItem&,
                                               std::intptr_t);
    void useAccessors(CConfigItem& item, GetMember get, PutMember put);
    // The pedestal accessors of one direction ("VideoInput" or "VideoOutput").
    HRESULT getPedestal(const XmlDocument* document, const char* direction, Variant& value);
    HRESULT putPedestal(const char* direction, const Variant& value, CConfigItem& item);

    // Compression (compression builders).
    HRESULT CreateCompressionConfig(XmlDocument* document);
    void CreateUncompressedVbiConfig(const XmlNode& codec);
    // The MPEG long GOP: P frames per I frame and B frames per P frame.
    struct LongGop {
        int pPerI;
        int bPerP;
    };
    LongGop GetMpegLongGopStruct() const;
    LongGop GetMpegLongGopStruct(const XmlNode& root) const;
    HRESULT GetCustomMpegLongGop(XmlDocument* document, CConfigItem& item, std::intptr_t context,
                                 Variant& value);
    HRESULT PutCustomMpegLongGop(const Variant& value, XmlDocument* document, CConfigItem& item,
                                 std::intptr_t context);

    // Audio (audio builders, audio accessors).
    struct Track {
        std::string index;
        bool assigned;
        std::string input; // the XPath of its input component
    };
    struct TrackCount {
        int supporting = 0;
        int assigned = 0;
    };
    struct OutputCount {
        int aes = 0;
        int embedded = 0;
    };
    XmlNode root() const;
    // Writes one attribute of the document (sent at once when live); a failure is thrown.
    void writeDocument(CTraceScope& scope, const std::string& element, const char* attribute,
                       const Variant& value, bool live = false);
    // Writes one attribute as the item writes its own value: sent at once when the item is
    // live, as final as the item's own write is; a failure is thrown.
    void writeAsItem(CTraceScope& scope, const std::string& element, const char* attribute,
                     const Variant& value, const CConfigItem& item);
    // Whether the compression row shown for the input format lists the compression; true
    // for an input format no row is shown for and for a value of no family.
    static bool CompressionOffered(const std::string& inputFormat, const std::string& compression);
    // Clamps the channel's MPEG data rate to what the input format and chroma allow.
    void clampMpegRate(CTraceScope& scope, const std::string& format, const std::string& chroma);
    XmlNodeList selectNodes(const std::string& xpath) const;
    std::vector<std::string> componentIds(const char* component) const;
    std::string audioInput(std::size_t index) const;
    std::string audioOutput(std::size_t index) const;
    std::string trackPath(const std::string& index) const;
    // The channel's tracks that have an input component, in document order.
    std::vector<Track> inputTracks() const;
    std::vector<Track> inputTracks(const XmlNode& root) const;
    TrackCount GetAudioInputCount(const std::string& type) const;
    // The count in a given document (the start or the current one).
    TrackCount GetAudioInputCount(const std::string& type, const XmlNode& root) const;
    OutputCount GetAudioOutputCount() const;
    void addCountRow(int labelId, const char* type, int supporting);
    HRESULT GetCustomAudioInputType(XmlDocument* document, CConfigItem& item, std::intptr_t context,
                                    Variant& value);
    HRESULT PutCustomAudioInputType(const Variant& value, XmlDocument* document, CConfigItem& item,
                                    std::intptr_t context);
    void CheckAudioResourceAssignment(CTraceScope& scope, int count);
    HRESULT GetCustomAudioInputCount(XmlDocument* document, CConfigItem& item,
                                     std::intptr_t context, Variant& value);
    HRESULT PutCustomAudioInputCount(const Variant& value, XmlDocument* document, CConfigItem& item,
                                     std::intptr_t context);
    HRESULT GetCustomEmbeddedInputGroup(XmlDocument* document, CConfigItem& item,
                                        std::intptr_t context, Variant& value);
    HRESULT PutCustomEmbeddedInputGroup(const Variant& value, XmlDocument* document,
                                        CConfigItem& item, std::intptr_t context);
    void SetAudioInputEmbeddedGroup(CTraceScope& scope, const std::string& value);
    HRESULT GetCustomEmbeddedOutputGroup(XmlDocument* document, CConfigItem& item,
                                         std::intptr_t context, Variant& value);
    HRESULT PutCustomEmbeddedOutputGroup(const Variant& value, XmlDocument* document,
                                         CConfigItem& item, std::intptr_t context);
    void SetAudioOutputEmbeddedGroup(CTraceScope& scope, const std::string& value);
    // Writes the groups of embedded components (path, assigned), four to a group from the
    // one the value names; unassigned ones get "GroupNone".
    void numberEmbeddedGroups(CTraceScope& scope,
                              const std::vector<std::pair<std::string, bool>>& components,
                              const std::string& value);
    HRESULT readTiming(const XmlDocument* document, const std::string& component, Variant& value);
    HRESULT writeTiming(bool input, const Variant& value, CConfigItem& item);
    HRESULT GetCustomAudioInputTiming(XmlDocument* document, CConfigItem& item,
                                      std::intptr_t context, Variant& value);
    HRESULT PutCustomAudioInputTiming(const Variant& value, XmlDocument* document,
                                      CConfigItem& item, std::intptr_t context);
    HRESULT GetCustomAudioOutputTiming(XmlDocument* document, CConfigItem& item,
                                       std::intptr_t context, Variant& value);
    HRESULT PutCustomAudioOutputTiming(const Variant& value, XmlDocument* document,
                                       CConfigItem& item, std::intptr_t context);
    // The per-pair input format rows of a type, built anew after the anchor row.
    void ShowHideEmbeddedInputFormat();
    void ShowHideAesInputFormat();
    void showHideInputFormat(const char* type, int firstLabel, int lastLabel, int anchorLabel);
    HRESULT PutCustomAudioInputFormat(const Variant& value, CConfigItem& item, int pair);
    // The tag rows of the input or output tracks, built anew after their heading.
    void ShowHideAudioInputTags();
    void ShowHideAudioOutputTags();
    void showHideTags(bool input);
    void OnTagChange(CTraceScope& scope, CConfigItem& item, const std::string& value);

    // Timecode and ancillary data (timecode builders, data track builders).
    CConfigVbiItem* addVbiRow(int labelId, const std::string& element, unsigned kind,
                              const std::vector<RowCondition>& shownIf,
                              const std::vector<RowCondition>& shownIfAny);
    void OnAncDataChange(CTraceScope& scope, CConfigItem& item, const std::string& record);
    void OnDataTrackVbiChange(CTraceScope& scope, CConfigItem& item, const std::string& record);

    // Timecode and ancillary data (their own builders).
    HRESULT CreateVitcInputConfig(XmlDocument* document);
    HRESULT CreateVitcOutputConfig(XmlDocument* document);
    HRESULT CreateAncTcInputConfig(XmlDocument* document);
    HRESULT CreateAncTcOutputConfig(XmlDocument* document);
    HRESULT CreateAudioInputConfig(XmlDocument* document);
    HRESULT CreateAudioInputMapConfig(XmlDocument* document);
    HRESULT CreateAudioOutputConfig(XmlDocument* document);
    HRESULT CreateAudioOutputMapConfig(XmlDocument* document);
    HRESULT CreateAncDataConfig(XmlDocument* document);
    HRESULT CreateAfdOutputConfig(XmlDocument* document);
    HRESULT CreateMonitorConfig(XmlDocument* document);

    // Change rules (rules, compression rules): each rewrites what depends on the item's new
    // value; a failure is thrown through the scope.
    using Rule = void (CChannelDlg::*)(CTraceScope& scope, CConfigItem& item,
                                       const std::string& value);
    static Rule RuleFor(int labelId);
    void OnCompressionChange(CTraceScope& scope, CConfigItem& item, const std::string& format);
    void OnChromaChange(CTraceScope& scope, CConfigItem& item, const std::string& chroma);
    void OnCompressVbiChange(CTraceScope& scope, CConfigItem& item, const std::string& compress);
    void OnInputFormatChange(CTraceScope& scope, CConfigItem& item, const std::string& format);
    void OnOutputFormatChange(CTraceScope& scope, CConfigItem& item, const std::string& format);
    void OnTestModeChange(CTraceScope& scope, CConfigItem& item, const std::string& mode);
    void OnTrimChange(CTraceScope& scope, CConfigItem& item, const std::string& trim);
    // Removes the VBI lines of the channel's own video codec.
    void removeCodecVbiLines(CTraceScope& scope);

    int m_channelIndex = -1;
    std::string m_channelId;
    CConfigListCtrl* m_list = nullptr;
    CTouchScrollBtn* m_scroll = nullptr;
    int m_statusTimer = 0;

    ChannelFlags m_flags;
    std::string m_profileLevel = "422P@ML";
    std::string m_channelType;
    std::string m_outputFormatPath;
    std::string m_inputFormatPath;
    std::vector<std::string> m_audioInputIds;
    std::vector<std::string> m_audioOutputIds;
    // Component reference paths and the id paths they resolve to.
    std::vector<std::pair<std::string, std::string>> m_components;
};
