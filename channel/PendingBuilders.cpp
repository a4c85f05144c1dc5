// Builders whose rows are not made yet: each succeeds and adds nothing, so the channel's
// other rows build as they should.

#include "ChannelDlg.h"

HRESULT CChannelDlg::CreateVitcInputConfig(XmlDocument*) {
    return S_OK;
}
HRESULT CChannelDlg::CreateVitcOutputConfig(XmlDocument*) {
    return S_OK;
}
HRESULT CChannelDlg::CreateAncTcInputConfig(XmlDocument*) {
    return S_OK;
}
HRESULT CChannelDlg::CreateAncTcOutputConfig(XmlDocument*) {
    return S_OK;
}
HRESULT CChannelDlg::CreateAncDataConfig(XmlDocument*) {
    return S_OK;
}
HRESULT CChannelDlg::CreateAfdOutputConfig(XmlDocument*) {
    return S_OK;
}
