#include "directory/LdapSession.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

void TLdapUnbind::operator()(ldap* handle) const {
    ldap_unbind(handle);
}

void TLdapMessageFree::operator()(ldapmsg* message) const {
    ldap_msgfree(message);
}

namespace findaro::ldapsession {

namespace {
// A bind that its caller stopped waiting for: the thread that runs it owns
// the handle from then on and closes it when the bind ends after all.
struct TBindJob {
    std::mutex Lock;
    std::condition_variable Ended;
    bool Done = false;
    bool Abandoned = false;
    int32_t Result = 0;
    TLdapHandle Handle;
};
} // namespace

int32_t bindWithin(TLdapHandle& connection, int seconds) {
    if (!connection)
        return kNoHandle;
    // The LDAP wait alone does not bound the bind: the Kerberos exchange
    // with a controller that stopped answering (about 27 s of the Kerberos
    // library's own retries) and any name lookup come before it. So the bind
    // runs on a thread of its own, and the caller stops waiting at the bound.
    auto job = std::make_shared<TBindJob>();
    job->Handle = std::move(connection);
    LDAP* handle = job->Handle.get();
    std::thread([job, handle] {
        const int32_t result = bindAsUser(handle);
        std::lock_guard<std::mutex> lock(job->Lock);
        job->Result = result;
        job->Done = true;
        if (job->Abandoned)
            job->Handle.reset();
        job->Ended.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(job->Lock);
    if (!job->Ended.wait_for(lock, std::chrono::seconds(seconds), [&] { return job->Done; })) {
        // The handle stays with the thread; the caller goes on without one.
        job->Abandoned = true;
        return LDAP_TIMEOUT;
    }
    connection = std::move(job->Handle);
    return job->Result;
}

void forEachEntry(LDAP* handle, LDAPMessage* answer,
                  const std::function<bool(LDAPMessage* entry)>& visit) {
    if (handle == nullptr || answer == nullptr)
        return;
    for (LDAPMessage* e = ldap_first_entry(handle, answer); e != nullptr;
         e = ldap_next_entry(handle, e))
        if (!visit(e))
            return;
}

} // namespace findaro::ldapsession

int32_t TLdapSession::Connect(const std::string& hostName) {
    using namespace findaro::ldapsession;
    const int32_t result = connectHost(Connection, hostName);
    if (Connection) // no handle, no connection attempt to record
        LastResult = result;
    return result;
}

int32_t TLdapSession::Bind() {
    using namespace findaro::ldapsession;
    LastResult = bindWithin(Connection, kBindWaitSeconds);
    bound_ = LastResult == 0;
    return LastResult;
}
