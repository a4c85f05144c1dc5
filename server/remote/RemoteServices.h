#pragma once
// The services of a host reached over the network: each returns the status the embedded
// server returns for the same case, with the service's reason for LastErrorText().

#include "RemoteSession.h"
#include "server/IAppServer.h"

std::shared_ptr<IAppServer> CreateRemoteAppServer(std::shared_ptr<RemoteSession> session);
