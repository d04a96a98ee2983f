#include "lab_routes.h"

#include "student_board.h"

#include <map>

namespace labd {

namespace {

using lab::Identity;
using nlohmann::json;

const char *kJson = "application/json";
const std::string kApi = "/api/v1/";
// A simulated board's upload as JSON: the files' own bound and room for the escaping and names.
constexpr std::uint64_t kUploadBodyLimit = 2 * kUploadBytes + 65536;

http::Response reply(int status, const json &body) { return {status, kJson, body.dump(), {}}; }

http::Response failure(int status, const std::string &error, const std::string &address = "")
{
    json o = {{"error", error}};
    if (!address.empty())
        o["address"] = address;
    return reply(status, o);
}

http::Response failure(const Outcome &o) { return failure(o.status, o.error, o.address); }

bool isTeacher(const Identity &who) { return who.role != lab::Role::Student; }

// The path under /api/v1/ split at its slashes.
std::vector<std::string> segments(const std::string &path)
{
    std::vector<std::string> out;
    if (path.compare(0, kApi.size(), kApi) != 0)
        return out;
    std::size_t at = kApi.size();
    while (at <= path.size()) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        out.push_back(path.substr(at, slash - at));
        at = slash + 1;
    }
    return out;
}

std::string bearer(const http::Request &req)
{
    const std::string h = req.header("Authorization");
    return h.compare(0, 7, "Bearer ") == 0 ? h.substr(7) : "";
}

std::string queryToken(const std::string &target)
{
    const std::size_t q = target.find('?');
    if (q == std::string::npos)
        return "";
    std::size_t at = q + 1;
    while (at < target.size()) {
        const std::size_t amp = std::min(target.find('&', at), target.size());
        if (target.compare(at, 6, "token=") == 0)
            return target.substr(at + 6, amp - at - 6);
        at = amp + 1;
    }
    return "";
}

// A JSON object body, or the answer that refuses it.
bool objectBody(const http::Request &req, json &body, http::Response &refusal)
{
    body = json::parse(req.body.empty() ? "{}" : req.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) {
        refusal = failure(400, "the body must be a JSON object");
        return false;
    }
    return true;
}

bool textMember(const json &o, const char *name, std::string &out, http::Response &refusal)
{
    const auto it = o.find(name);
    if (it == o.end() || !it->is_string()) {
        refusal = failure(400, std::string("\"") + name + "\" must be a string");
        return false;
    }
    out = it->get<std::string>();
    return true;
}

bool readUpload(const json &o, DesignUpload &d, http::Response &refusal)
{
    const auto files = o.find("files");
    if (files == o.end() || !files->is_array() || files->empty() || files->size() > kUploadFileLimit) {
        refusal = failure(400, "\"files\" must hold 1 to " + std::to_string(kUploadFileLimit) + " files");
        return false;
    }
    std::size_t total = 0;
    for (const json &f : *files) {
        std::string name, text, why;
        if (!f.is_object() || !textMember(f, "name", name, refusal) || !textMember(f, "text", text, refusal))
            return f.is_object() ? false : (refusal = failure(400, "\"files\" holds objects"), false);
        if (!validUploadName(name, why)) {
            refusal = failure(400, "\"files\": " + why);
            return false;
        }
        total += text.size();
        if (text.size() > kUploadFileBytes || total > kUploadBytes) {
            refusal = failure(413, "\"files\": at most " + std::to_string(kUploadFileBytes) + " bytes a file and " +
                                       std::to_string(kUploadBytes) + " in all");
            return false;
        }
        d.files.emplace_back(name, text);
    }
    if ((o.contains("top") && !textMember(o, "top", d.top, refusal)) ||
        (o.contains("simulator") && !textMember(o, "simulator", d.simulator, refusal)))
        return false;
    if (o.contains("keys_active_low")) {
        if (!o["keys_active_low"].is_boolean()) {
            refusal = failure(400, "\"keys_active_low\" must be true or false");
            return false;
        }
        d.keysActiveLow = o["keys_active_low"];
    }
    if (o.contains("dump")) {
        if (!o["dump"].is_boolean()) {
            refusal = failure(400, "\"dump\" must be true or false");
            return false;
        }
        d.dump = o["dump"];
    }
    if (o.contains("clock_hz")) {
        if (!o["clock_hz"].is_number() || o["clock_hz"].get<double>() < 0 || o["clock_hz"].get<double>() > 1e9) {
            refusal = failure(400, "\"clock_hz\" must be a number from 0 to 1e9");
            return false;
        }
        d.clockHz = o["clock_hz"];
    }
    return true;
}

class Api {
public:
    Api(LabService &service, EventHub &hub) : service_(service), hub_(hub) {}

    http::Response handle(const http::Request &req)
    {
        const std::vector<std::string> s = segments(req.path());
        if (s.empty())
            return failure(404, "no route " + req.path().substr(0, 200));
        if (s == std::vector<std::string>{"login"})
            return req.method == "POST" ? login(req) : wrongMethod(req, "POST");
        const std::optional<Identity> who = service_.store().accounts().check(bearer(req));
        if (!who)
            return failure(401, "sign in first: no valid token");
        service_.seen(who->name);
        if (s.size() == 1)
            return top(req, *who, s[0]);
        if (s.size() == 3 && s[0] == "boards")
            return board(req, *who, s[1], s[2]);
        if (s == std::vector<std::string>{"simulated", "dump"})
            return req.method == "POST" ? simulatedDump(*who) : wrongMethod(req, "POST");
        return failure(404, "no route " + req.path().substr(0, 200));
    }

    bool upgrade(const http::Request &req, http::WebSocketHandler &handler, http::Response &refusal)
    {
        if (req.path() != kApi + "events") {
            refusal = failure(404, "no WebSocket at " + req.path().substr(0, 200));
            return false;
        }
        const std::string token = bearer(req).empty() ? queryToken(req.target) : bearer(req);
        const std::optional<Identity> who = service_.store().accounts().check(token);
        if (!who) {
            refusal = failure(401, "sign in first: no valid token");
            return false;
        }
        service_.seen(who->name);
        handler = hub_.handlerFor(*who);
        return true;
    }

    std::uint64_t bodyLimit(const http::Request &head)
    {
        const std::vector<std::string> s = segments(head.path());
        if (head.method != "POST")
            return 0;
        const bool configure = s.size() == 3 && s[0] == "boards" && s[2] == "configure";
        const bool upload = s == std::vector<std::string>{"simulated"};
        // Only a signed-in client may send a large body.
        if ((configure || upload) && service_.store().accounts().check(bearer(head)))
            return configure ? kConfigureBodyLimit : kUploadBodyLimit;
        return 0;
    }

private:
    static http::Response wrongMethod(const http::Request &req, const std::string &allowed)
    {
        http::Response r = failure(405, req.method.substr(0, 16) + " is not allowed on " + req.path().substr(0, 200) +
                                            "; it takes " + allowed);
        r.headers.emplace_back("Allow", allowed);
        return r;
    }

    http::Response login(const http::Request &req)
    {
        json body;
        http::Response refusal;
        std::string user, password;
        if (!objectBody(req, body, refusal) || !textMember(body, "user", user, refusal) ||
            !textMember(body, "password", password, refusal))
            return refusal;
        const std::optional<std::string> token = service_.store().accounts().signIn(user, password);
        if (!token)
            return failure(401, "wrong user name or password");
        const std::optional<Identity> who = service_.store().accounts().check(*token);
        return reply(200, {{"token", *token},
                           {"role", lab::roleName(who ? who->role : lab::Role::Student)},
                           {"seconds", lab::kTokenSeconds}});
    }

    http::Response top(const http::Request &req, const Identity &who, const std::string &route)
    {
        const std::string &m = req.method;
        if (route == "logout") {
            if (m != "POST")
                return wrongMethod(req, "POST");
            service_.store().accounts().signOut(bearer(req));
            service_.stopSimulated(who.name);
            return reply(200, json::object());
        }
        if (route == "boards")
            return m == "GET" ? boards(who) : wrongMethod(req, "GET");
        if (route == "queue")
            return m == "POST" ? join(req, who) : wrongMethod(req, "POST");
        if (route == "heartbeat") {
            if (m != "POST")
                return wrongMethod(req, "POST");
            service_.store().queue().heartbeat(who.name);
            return reply(200, json::object());
        }
        if (route == "me") {
            if (m == "GET")
                return reply(200,
                             placeJson(who, service_.store().queue().me(who.name), service_.simulatedOf(who.name)));
            if (m != "DELETE")
                return wrongMethod(req, "GET, DELETE");
            if (!service_.store().queue().release(who.name))
                service_.store().queue().leave(who.name);
            changed();
            return reply(200, json::object());
        }
        if (route == "simulated") {
            if (m == "POST")
                return simulated(req, who);
            if (m != "DELETE")
                return wrongMethod(req, "POST, DELETE");
            const Outcome o = service_.stopSimulated(who.name);
            changed();
            return o.ok() ? reply(200, json::object()) : failure(o);
        }
        if (route == "audit") {
            if (m != "GET")
                return wrongMethod(req, "GET");
            if (!isTeacher(who))
                return failure(403, "only a teacher may read the audit log");
            return reply(200, {{"lines", service_.store().audit().lines()}});
        }
        return failure(404, "no route " + req.path().substr(0, 200));
    }

    http::Response boards(const Identity &who)
    {
        std::map<std::string, int> waiting;
        for (const auto &[user, place] : service_.store().queue().places())
            if (place.what == lab::Place::Queued)
                ++waiting[place.kind];
        json out = json::array();
        for (const lab::BoardInfo &b : service_.store().queue().boards()) {
            json o = {{"id", b.id},
                      {"name", b.id},
                      {"kind", b.kind},
                      {"state", b.state},
                      {"queue", waiting[b.kind]},
                      {"host", b.host},
                      {"address", b.address}};
            if (isTeacher(who) && !b.holder.empty())
                o["holder"] = b.holder;
            out.push_back(o);
        }
        return reply(200, out);
    }

    http::Response join(const http::Request &req, const Identity &who)
    {
        json body;
        http::Response refusal;
        std::string kind;
        if (!objectBody(req, body, refusal) || !textMember(body, "kind", kind, refusal))
            return refusal;
        lab::Place place;
        std::string error;
        if (!service_.store().queue().join(who.name, kind, place, error))
            return failure(error.compare(0, 8, "no board") == 0 ? 404 : 409, error);
        changed();
        return reply(200, {{"position", place.what == lab::Place::Holding ? 0 : place.position}});
    }

    http::Response simulated(const http::Request &req, const Identity &who)
    {
        json body;
        http::Response refusal;
        DesignUpload design;
        if (!objectBody(req, body, refusal) || !readUpload(body, design, refusal))
            return refusal;
        std::string id;
        brixo::BoardDescription description;
        std::vector<DesignMessage> messages;
        const Outcome o = service_.startSimulated(who, design, id, description, messages);
        if (o.status == 422) {
            json list = json::array();
            for (const DesignMessage &dm : messages)
                list.push_back({{"file", dm.file}, {"line", dm.line}, {"text", dm.text}});
            return reply(422, {{"error", o.error}, {"messages", list}});
        }
        if (!o.ok())
            return failure(o);
        changed();
        return reply(200, {{"board", id}, {"describe", json::parse(brixo::boardJson(description))}});
    }

    // The simulated board ends and its design's signals go to the student as a file.
    http::Response simulatedDump(const Identity &who)
    {
        std::string vcd;
        const Outcome o = service_.endSimulatedWithDump(who.name, vcd);
        if (o.status != 409)
            changed();
        if (!o.ok())
            return failure(o);
        return {200,
                "application/octet-stream",
                std::move(vcd),
                {{"Content-Disposition", "attachment; filename=\"signals.vcd\""}}};
    }

    http::Response board(const http::Request &req, const Identity &who, const std::string &id, const std::string &a)
    {
        const std::string &m = req.method;
        using Handler = http::Response (Api::*)(const http::Request &, const Identity &, const std::string &);
        static const std::map<std::pair<std::string, std::string>, Handler> routes = {
            {{"panel", "GET"}, &Api::panel},        {{"describe", "GET"}, &Api::describe},
            {{"step", "POST"}, &Api::step},         {{"configure", "POST"}, &Api::configure},
            {{"configure", "GET"}, &Api::progress}, {{"configure", "DELETE"}, &Api::cancel},
            {{"kick", "POST"}, &Api::kick},         {{"extend", "POST"}, &Api::extend},
            {{"fixed", "POST"}, &Api::fixed},       {{"state", "GET"}, &Api::state},
        };
        const auto it = routes.find({a, m});
        if (it != routes.end())
            return (this->*it->second)(req, who, id);
        std::string allowed;
        for (const auto &[key, handler] : routes)
            if (key.first == a)
                allowed += (allowed.empty() ? "" : ", ") + key.second;
        return allowed.empty() ? failure(404, "no route " + req.path().substr(0, 200)) : wrongMethod(req, allowed);
    }

    http::Response panel(const http::Request &, const Identity &who, const std::string &id)
    {
        std::string text;
        const Outcome o = service_.panel(who, id, text);
        return o.ok() ? http::Response{200, kJson, text, {}} : failure(o);
    }

    http::Response describe(const http::Request &, const Identity &who, const std::string &id)
    {
        brixo::BoardDescription d;
        const Outcome o = service_.describe(who, id, d);
        return o.ok() ? http::Response{200, kJson, brixo::boardJson(d), {}} : failure(o);
    }

    http::Response step(const http::Request &req, const Identity &who, const std::string &id)
    {
        brixo::StepRequest request;
        std::string error;
        if (!brixo::parseStepRequest(req.body, request, error))
            return failure(400, error);
        brixo::Readback readback;
        const Outcome o = service_.step(who, id, request, readback);
        return o.ok() ? reply(200, answerJson(readback)) : failure(o);
    }

    http::Response configure(const http::Request &req, const Identity &who, const std::string &id)
    {
        std::size_t total = 0;
        const Outcome o = service_.configure(who, id, req.body, total);
        return o.ok() ? reply(202, {{"total", total}}) : failure(o);
    }

    http::Response progress(const http::Request &, const Identity &who, const std::string &id)
    {
        ConfigureStatus status;
        const Outcome o = service_.configureStatus(who, id, status);
        return o.ok() ? reply(200, configureJson(status)) : failure(o);
    }

    http::Response cancel(const http::Request &, const Identity &who, const std::string &id)
    {
        const Outcome o = service_.cancelConfigure(who, id);
        return o.ok() ? reply(200, json::object()) : failure(o);
    }

    http::Response kick(const http::Request &, const Identity &who, const std::string &id)
    {
        if (!isTeacher(who))
            return failure(403, "only a teacher may end a hold");
        std::string error;
        if (!service_.store().queue().kick(who, id, error))
            return failure(error.compare(0, 8, "no board") == 0 ? 404 : 409, error);
        changed();
        return reply(200, json::object());
    }

    http::Response extend(const http::Request &req, const Identity &who, const std::string &id)
    {
        if (!isTeacher(who))
            return failure(403, "only a teacher may extend a hold");
        json body;
        http::Response refusal;
        if (!objectBody(req, body, refusal))
            return refusal;
        const auto s = body.find("seconds");
        if (s == body.end() || !s->is_number_integer() || s->get<long long>() < 1 ||
            s->get<long long>() > lab::kExtendLimitSeconds)
            return failure(400,
                           "\"seconds\" must be a whole number from 1 to " + std::to_string(lab::kExtendLimitSeconds));
        std::string error;
        if (!service_.store().queue().extend(who, id, s->get<int>(), error))
            return failure(error.compare(0, 8, "no board") == 0 ? 404 : 409, error);
        std::int64_t left = 0;
        for (const lab::BoardInfo &b : service_.store().queue().boards())
            if (b.id == id)
                left = b.secondsLeft;
        changed();
        return reply(200, {{"seconds_left", left}});
    }

    http::Response fixed(const http::Request &, const Identity &who, const std::string &id)
    {
        const Outcome o = service_.fixed(who, id);
        changed();
        return o.ok() ? reply(200, json::object()) : failure(o);
    }

    http::Response state(const http::Request &, const Identity &who, const std::string &id)
    {
        BoardView view;
        const Outcome o = service_.view(who, id, view);
        if (!o.ok())
            return failure(o);
        std::string boardState = "held";
        for (const lab::BoardInfo &b : service_.store().queue().boards())
            if (b.id == id)
                boardState = b.state;
        json out = {{"board", id},
                    {"state", boardState},
                    {"inputs", {{"switches", view.inputs.switches}, {"keys", view.inputs.keys}}},
                    {"readback", view.readback ? answerJson(*view.readback) : json::object()}};
        if (!view.holder.empty())
            out["holder"] = view.holder;
        return reply(200, out);
    }

    // The queue changed here: the sweep resets a freed board now, and clients hear of it now.
    void changed()
    {
        service_.wake();
        hub_.nudge();
    }

    LabService &service_;
    EventHub &hub_;
};

} // namespace

http::Routes labServiceRoutes(LabService &service, EventHub &hub, LabRoutesOptions options)
{
    auto api = std::make_shared<Api>(service, hub);
    http::Routes routes;
    routes.handle = [api, files = std::move(options.staticFiles)](const http::Request &req) -> http::Response {
        if (req.path().compare(0, 5, "/api/") == 0)
            return api->handle(req);
        if (files && (req.method == "GET" || req.method == "HEAD"))
            return files(req);
        return failure(404, "no route " + req.path().substr(0, 200));
    };
    routes.upgrade = [api](const http::Request &req, http::WebSocketHandler &handler, http::Response &refusal) {
        return api->upgrade(req, handler, refusal);
    };
    routes.bodyLimit = [api](const http::Request &head) { return api->bodyLimit(head); };
    routes.refuse = [](int status, const std::string &why, const http::Request &) { return failure(status, why); };
    return routes;
}

} // namespace labd
