#include "ServiceLyricsResolver.h"

#include "Lyrics/LRCLIBClient.h"

ServiceLyricsResolver::ServiceLyricsResolver(const LyricsCache &cache, const QUrl &endpoint)
    : m_service(cache, std::make_shared<LRCLIBClient>(endpoint, &m_session))
{
}

void ServiceLyricsResolver::setEndpoint(const QUrl &endpoint)
{
    m_service.setClient(std::make_shared<LRCLIBClient>(endpoint, &m_session));
}
