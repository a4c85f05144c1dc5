#pragma once
// The dialog of one channel tab. For now it offers the data-rate limits that the change
// rules of every page apply when a format or chroma changes.

#include <string>

class XmlNode;

class CChannelDlg {
public:
    // Clamps a recording data rate (whole Mb/s) to what the format and chroma allow; true
    // when the clamped rate differs from the given one. sd422Maximum is the limit of
    // standard-definition 4:2:2, for the codec concerned.
    static bool CheckVideoDataRate(const std::string& format, const std::string& chroma, int rate,
                                   int& clamped, int sd422Maximum);
    // The same with the program-wide standard-definition 4:2:2 limit: the one set by the
    // compression builder that ran last, or 0 before any did.
    static bool CheckVideoDataRate(const std::string& format, const std::string& chroma, int rate,
                                   int& clamped);

    // The standard-definition 4:2:2 limit a codec element allows: 50 Mb/s with a Dv50
    // family or a high-definition MPEG profile, else 25.
    static int Sd422MaximumRate(const XmlNode& codec);
    static int ProgramSd422MaximumRate();
    static void SetProgramSd422MaximumRate(int rate);
};
