// The live page: one thread runs everything (accepting, answering, watching
// the texts, compiling), so that no state is shared between threads and a
// signal ends it all by stopping one io_context.

// clang-format off
// First: Boost 1.74's Asio uses std::exchange without including <utility>.
#include <utility>
// clang-format on
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <memory>
#include <set>
#include <sstream>

#include "platform/file_system.h"
#include "platform/host_path.h"
#include "tools/compiled_files.h"
#include "tools/inspect.h"
#include "tools/preview.h"

namespace scenario::tools {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

constexpr auto kPollInterval = std::chrono::milliseconds(200);
constexpr auto kKeepAlive = std::chrono::seconds(15);
constexpr auto kReadTimeout = std::chrono::seconds(30);

// What identifies a saved text without reading it: editors that save by
// renaming change the time, those that write in place change time or size.
// Nothing for a missing text.
using Stamp = std::optional<HostFileStamp>;

Stamp stamp_of(const std::string& path) { return host_file_stamp(path); }

class Server;

class EventStream : public std::enable_shared_from_this<EventStream> {
 public:
  EventStream(beast::tcp_stream stream, Server& server)
      : stream_(std::move(stream)), server_(server) {}
  void start(uint64_t version);
  void send(const std::string& event);
  void close() {
    beast::error_code ec;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
    stream_.socket().close(ec);
  }

 private:
  void write_next();
  beast::tcp_stream stream_;
  Server& server_;
  std::vector<std::string> queue_;
  bool writing_ = false;
};

class Server {
 public:
  Server(const PreviewRequest& req, std::ostream& out, std::ostream& err)
      : req_(req),
        out_(out),
        err_(err),
        acceptor_(ioc_),
        timer_(ioc_),
        keep_alive_(ioc_),
        signals_(ioc_, SIGINT, SIGTERM) {}

  int run() {
    recompile();
    beast::error_code ec;
    const tcp::endpoint at(asio::ip::make_address_v4("127.0.0.1"),
                           static_cast<unsigned short>(req_.port));
    acceptor_.open(at.protocol(), ec);
    if (!ec) acceptor_.bind(at, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
      err_ << "scenario_tool: cannot listen on 127.0.0.1:" << req_.port << ": " << ec.message()
           << "\n";
      return kExitCannotCreate;
    }
    out_ << "serving http://127.0.0.1:" << req_.port << "/ (Ctrl+C ends)" << std::endl;
    signals_.async_wait([this](const beast::error_code&, int) { stop(); });
    accept();
    poll();
    ping();
    ioc_.run();
    out_ << "stopped" << std::endl;
    return 0;
  }

  const std::string& page() const { return page_; }
  const std::string& data() const { return data_; }
  uint64_t version() const { return version_; }
  bool host_allowed(std::string_view host) const {
    const std::string port = ":" + std::to_string(req_.port);
    return host == "127.0.0.1" + port || host == "localhost" + port;
  }
  void add(const std::shared_ptr<EventStream>& s) { streams_.insert(s); }
  void remove(const std::shared_ptr<EventStream>& s) { streams_.erase(s); }

 private:
  void accept() {
    acceptor_.async_accept([this](beast::error_code ec, tcp::socket socket) {
      if (ec) return;  // closed by stop()
      serve(beast::tcp_stream(std::move(socket)));
      accept();
    });
  }

  // One request per connection: the page and the data are whole documents,
  // the event stream keeps its connection.
  void serve(beast::tcp_stream stream) {
    struct Exchange {
      beast::tcp_stream stream;
      beast::flat_buffer buffer;
      http::request<http::string_body> req;
      http::response<http::string_body> res;
    };
    auto ex = std::make_shared<Exchange>(Exchange{std::move(stream), {}, {}, {}});
    ex->stream.expires_after(kReadTimeout);
    http::async_read(ex->stream, ex->buffer, ex->req, [this, ex](beast::error_code ec, size_t) {
      if (ec) return;
      const std::string target(ex->req.target());
      http::response<http::string_body>& res = ex->res;
      res.version(ex->req.version());
      res.keep_alive(false);
      res.set(http::field::cache_control, "no-store");
      const bool get = ex->req.method() == http::verb::get;
      const bool head = ex->req.method() == http::verb::head;
      const std::string path = target.substr(0, target.find('?'));
      if (!host_allowed(std::string(ex->req[http::field::host]))) {
        res.result(http::status::forbidden);
        res.body() =
            "this server answers only http://127.0.0.1:" + std::to_string(req_.port) + "/\n";
      } else if (path != "/" && path != "/data" && path != "/events") {
        res.result(http::status::not_found);
        res.body() = "not found\n";
      } else if (!get && !head) {
        res.result(http::status::method_not_allowed);
        res.set(http::field::allow, "GET, HEAD");
        res.body() = "method not allowed\n";
      } else if (path == "/events" && get) {
        auto s = std::make_shared<EventStream>(std::move(ex->stream), *this);
        add(s);
        s->start(version_);
        return;
      } else {
        res.result(http::status::ok);
        const bool is_page = path == "/";
        res.set(http::field::content_type, is_page           ? "text/html; charset=utf-8"
                                           : path == "/data" ? "application/json"
                                                             : "text/event-stream");
        if (path != "/events") res.body() = is_page ? page_ : data_;
        res.prepare_payload();
        if (head) {
          const auto length = res.body().size();
          res.body().clear();
          res.content_length(length);
        }
      }
      if (res.result() != http::status::ok) {
        res.set(http::field::content_type, "text/plain");
        res.prepare_payload();
      }
      ex->stream.expires_after(kReadTimeout);
      http::async_write(ex->stream, res, [ex](beast::error_code, size_t) {
        beast::error_code ignored;
        ex->stream.socket().shutdown(tcp::socket::shutdown_send, ignored);
      });
    });
  }

  void poll() {
    timer_.expires_after(kPollInterval);
    timer_.async_wait([this](const beast::error_code& ec) {
      if (ec) return;
      const Stamp line = stamp_of(req_.line_text_path), train = stamp_of(req_.train_text_path);
      if (!(line == line_stamp_) || !(train == train_stamp_)) {
        recompile();
        const std::string event = "event: update\ndata: " + std::to_string(version_) + "\n\n";
        for (const auto& s : std::set(streams_)) s->send(event);
      }
      poll();
    });
  }

  // Proxies drop a silent connection; a comment line keeps it open.
  void ping() {
    keep_alive_.expires_after(kKeepAlive);
    keep_alive_.async_wait([this](const beast::error_code& ec) {
      if (ec) return;
      for (const auto& s : std::set(streams_)) s->send(": ping\n\n");
      ping();
    });
  }

  void recompile() {
    line_stamp_ = stamp_of(req_.line_text_path);
    train_stamp_ = stamp_of(req_.train_text_path);
    std::string line_text, train_text;
    std::ostringstream why;
    // A text caught half-written or missing shows as a problem of the page,
    // never as the end of the server.
    const bool read = read_from_disk("line description", req_.line_text_path, &line_text, why) &&
                      read_from_disk("train description", req_.train_text_path, &train_text, why);
    const auto started = std::chrono::steady_clock::now();
    try {
      // An editor that saves by renaming leaves a text missing for a moment:
      // the page keeps the last compile meanwhile, as an empty one would
      // list problems that are not there and shrink the route under the
      // author's view.
      if (read) {
        last_good_ = preview_data_json(line_text, train_text, req_);
        data_ = last_good_;
      } else {
        data_ = unreadable_data_json(last_good_, why.str(), req_);
      }
    } catch (const std::exception& e) {
      err_ << "scenario_tool: compile failed: " << e.what() << "\n";
      return;
    }
    ++version_;
    data_.insert(data_.size() - 1, ",\"version\":" + std::to_string(version_));
    page_ = preview_page(data_, true);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
    out_ << "compiled version " << version_ << " in " << ms << " ms" << std::endl;
  }

  void stop() {
    beast::error_code ec;
    acceptor_.close(ec);
    timer_.cancel();
    keep_alive_.cancel();
    for (const auto& s : std::set(streams_)) s->close();
    streams_.clear();
    ioc_.stop();
  }

  PreviewRequest req_;
  std::ostream& out_;
  std::ostream& err_;
  asio::io_context ioc_{1};
  tcp::acceptor acceptor_;
  asio::steady_timer timer_;
  asio::steady_timer keep_alive_;
  asio::signal_set signals_;
  std::set<std::shared_ptr<EventStream>> streams_;
  Stamp line_stamp_, train_stamp_;
  std::string page_, data_;
  std::string last_good_;  // the data of the last texts that could be read
  uint64_t version_ = 0;
};

void EventStream::start(uint64_t version) {
  stream_.expires_never();
  queue_.push_back(
      "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
      "Connection: keep-alive\r\n\r\nretry: 500\nevent: hello\ndata: " +
      std::to_string(version) + "\n\n");
  write_next();
}

void EventStream::send(const std::string& event) {
  queue_.push_back(event);
  if (!writing_) write_next();
}

void EventStream::write_next() {
  if (queue_.empty()) {
    writing_ = false;
    return;
  }
  writing_ = true;
  auto self = shared_from_this();
  auto buffer = std::make_shared<std::string>(std::move(queue_.front()));
  queue_.erase(queue_.begin());
  asio::async_write(stream_.socket(), asio::buffer(*buffer),
                    [self, buffer](beast::error_code ec, size_t) {
                      if (ec) {
                        self->writing_ = false;
                        self->server_.remove(self);
                        return;
                      }
                      self->write_next();
                    });
}

}  // namespace

int serve_preview(const PreviewRequest& req, std::ostream& out, std::ostream& err) {
  try {
    Server server(req, out, err);
    return server.run();
  } catch (const std::exception& e) {
    err << "scenario_tool: " << e.what() << "\n";
    return kExitSoftware;
  }
}

}  // namespace scenario::tools
