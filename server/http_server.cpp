#include "server/http_server.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unordered_map>
#include <vector>

#include "server/api_json.h"

namespace pellaris::board {

namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;
using Parser = http::request_parser<http::string_body>;

constexpr int kBacklog = 1024;
constexpr std::size_t kFirstRead = 4096;
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);

std::unique_ptr<Parser> MakeParser(const HttpLimits& limits) {
  auto parser = std::make_unique<Parser>();
  parser->header_limit(static_cast<std::uint32_t>(limits.headerBytes));
  parser->body_limit(limits.bodyBytes);
  parser->eager(true);
  return parser;
}

HttpRequest ToRequest(Parser& parser, const std::string& client) {
  http::request<http::string_body> message = parser.release();
  return {std::string(message.method_string()), std::string(message.target()), std::move(message.body()), client};
}

// How a request that could not be read is answered: 0 for not at all (the client went away, too slowly).
int RefusalFor(const beast::error_code& error) {
  if (error == http::error::body_limit) return 413;
  if (error == http::error::header_limit) return 431;
  // The parser's other errors are a request that is no HTTP; the stream's are a client gone.
  const bool malformed = error.category() == http::make_error_code(http::error::bad_target).category();
  return malformed && error != http::error::end_of_stream && error != http::error::partial_message ? 400 : 0;
}

HttpResponse RefusalResponse(int status) {
  Refusal refusal{status, "malformed", "the request cannot be read"};
  if (status == 413) refusal = {413, "too-large", "the request's body is larger than the board takes"};
  if (status == 431) refusal = {431, "headers-too-large", "the request's headers are larger than the board takes"};
  return {status, "application/json", RefusalJson(refusal), {}};
}

// Rate limits and caps count a client by its address, and an IPv6 client by its /64 network, since
// a single machine is given a whole one.
std::string ClientKey(const net::ip::address& address) {
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    return net::ip::make_address_v4(net::ip::v4_mapped, address.to_v6()).to_string();
  }
  if (address.is_v4()) return address.to_string();
  net::ip::address_v6::bytes_type bytes = address.to_v6().to_bytes();
  std::fill(bytes.begin() + 8, bytes.end(), 0);
  return net::ip::make_address_v6(bytes).to_string() + "/64";
}

// Behind a proxy on this machine, the client is who the proxy says it is, in the header it sets.
std::string ClientOf(const Parser& parser, const net::ip::address& peer, const std::string& key,
                     const HttpLimits& limits) {
  if (limits.proxyHeader.empty() || !peer.is_loopback()) return key;
  const auto field = parser.get().find(limits.proxyHeader);
  if (field == parser.get().end()) return key;
  boost::system::error_code error;
  const net::ip::address client = net::ip::make_address(std::string(field->value()), error);
  return error ? key : ClientKey(client);
}

tcp::endpoint ParseEndpoint(const std::string& text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) throw std::runtime_error("--listen takes ADDRESS:PORT, not " + text);
  std::string host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  const std::string port = text.substr(colon + 1);
  boost::system::error_code error;
  const net::ip::address address = net::ip::make_address(host, error);
  if (error) throw std::runtime_error("--listen: " + host + " is no IP address");
  unsigned number = 0;
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
      (number = static_cast<unsigned>(std::stoul(port))) > 65535) {
    throw std::runtime_error("--listen: " + port + " is no port");
  }
  return {address, static_cast<std::uint16_t>(number)};
}

}  // namespace

struct HttpServer::State {
  State(const HttpLimits& limits, Handler handler, Log log)
      : limits(limits), handler(std::move(handler)), log(std::move(log)), io(limits.threads) {}

  void Accept();
  bool Admit(const std::string& client);
  void Left(const std::string& client);

  const HttpLimits limits;
  const Handler handler;
  const Log log;
  // The counts outlive the connections, which end with the I/O context below.
  std::mutex mutex;
  int connections = 0;
  std::unordered_map<std::string, int> perAddress;
  bool toldOfDescriptors = false;

  net::io_context io;
  tcp::acceptor acceptor{io};
  net::steady_timer acceptRetry{io};
};

namespace {

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(tcp::socket socket, HttpServer::State& server, net::ip::address peer, std::string client)
      : stream_(std::move(socket)), server_(server), peer_(std::move(peer)), client_(std::move(client)) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() { server_.Left(client_); }

  void Start() { net::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->AwaitRequest(); }); }

 private:
  // An idle connection may wait for its next request only so long.
  void AwaitRequest() {
    if (buffer_.size() > 0) {
      ReadRequest();
      return;
    }
    stream_.expires_after(server_.limits.idleTimeout);
    stream_.async_read_some(buffer_.prepare(kFirstRead),
                            [self = shared_from_this()](beast::error_code error, std::size_t read) {
                              if (error) return self->Close();
                              self->buffer_.commit(read);
                              self->ReadRequest();
                            });
  }

  // Once a request begins, all of it must arrive within the read timeout.
  void ReadRequest() {
    parser_ = MakeParser(server_.limits);
    stream_.expires_after(server_.limits.readTimeout);
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code error, std::size_t) { self->OnRead(error); });
  }

  void OnRead(const beast::error_code& error) {
    if (error) {
      const int refusal = RefusalFor(error);
      if (refusal == 0) return Close();
      keepAlive_ = false;
      return Reply(RefusalResponse(refusal));
    }
    keepAlive_ = parser_->get().keep_alive();
    const std::string client = ClientOf(*parser_, peer_, client_, server_.limits);
    HttpRequest request = ToRequest(*parser_, client);
    auto respond = [self = shared_from_this()](HttpResponse response) {
      net::post(self->stream_.get_executor(),
                [self, response = std::move(response)]() mutable { self->Reply(std::move(response)); });
    };
    try {
      server_.handler(std::move(request), respond);
    } catch (const std::exception& failure) {
      server_.log(std::string("answering a request failed: ") + failure.what());
      Reply({500, "application/json", RefusalJson({500, "failed", "the board failed to answer"}), {}});
    }
  }

  void Reply(HttpResponse response) {
    auto message = std::make_shared<http::response<http::string_body>>(static_cast<http::status>(response.status), 11);
    message->set(http::field::server, "pellaris-board");
    message->set(http::field::content_type, response.contentType);
    message->set("X-Content-Type-Options", "nosniff");
    for (const auto& [name, value] : response.headers) message->set(name, value);
    message->body() = std::move(response.body);
    message->keep_alive(keepAlive_);
    message->prepare_payload();
    stream_.expires_after(server_.limits.readTimeout);
    http::async_write(stream_, *message, [self = shared_from_this(), message](beast::error_code error, std::size_t) {
      if (error || !self->keepAlive_) return self->Close();
      self->AwaitRequest();
    });
  }

  void Close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.close();
  }

  beast::tcp_stream stream_;
  HttpServer::State& server_;
  const net::ip::address peer_;
  const std::string client_;  // the peer's key for the limits
  beast::flat_buffer buffer_;
  std::unique_ptr<Parser> parser_;
  bool keepAlive_ = false;
};

}  // namespace

void HttpServer::State::Accept() {
  acceptor.async_accept(net::make_strand(io), [this](beast::error_code error, tcp::socket socket) {
    if (!acceptor.is_open()) return;
    if (error) {
      // Out of descriptors: the connections that hold them will end; try again in a moment.
      if (error == net::error::no_descriptors && !toldOfDescriptors) {
        toldOfDescriptors = true;
        log("out of file descriptors: connections wait (raise the limit, or lower --max-connections)");
      }
      acceptRetry.expires_after(kAcceptRetry);
      acceptRetry.async_wait([this](beast::error_code) { Accept(); });
      return;
    }
    beast::error_code ignored;
    const net::ip::address peer = socket.remote_endpoint(ignored).address();
    const std::string client = ClientKey(peer);
    if (Admit(client)) {
      std::make_shared<Session>(std::move(socket), *this, peer, client)->Start();
    } else {
      socket.close(ignored);  // over a cap: closed at once
    }
    Accept();
  });
}

bool HttpServer::State::Admit(const std::string& client) {
  std::lock_guard lock(mutex);
  int& fromAddress = perAddress[client];
  if (connections >= limits.connections || fromAddress >= limits.connectionsPerAddress) {
    if (fromAddress == 0) perAddress.erase(client);
    return false;
  }
  ++connections;
  ++fromAddress;
  return true;
}

void HttpServer::State::Left(const std::string& client) {
  std::lock_guard lock(mutex);
  --connections;
  if (--perAddress[client] == 0) perAddress.erase(client);
}

HttpServer::HttpServer(const HttpLimits& limits, Handler handler, Log log)
    : state_(std::make_unique<State>(limits, std::move(handler), std::move(log))) {}

HttpServer::~HttpServer() { state_->io.stop(); }

std::string HttpServer::Listen(const std::string& address) {
  const tcp::endpoint endpoint = ParseEndpoint(address);
  tcp::acceptor& acceptor = state_->acceptor;
  boost::system::error_code error;
  acceptor.open(endpoint.protocol(), error);
  if (!error) acceptor.set_option(net::socket_base::reuse_address(true), error);
  if (!error) acceptor.bind(endpoint, error);
  if (!error) acceptor.listen(kBacklog, error);
  if (error) throw std::runtime_error("cannot listen on " + address + ": " + error.message());
  const tcp::endpoint bound = acceptor.local_endpoint();
  const std::string host = bound.address().to_string();
  return (bound.address().is_v6() ? "[" + host + "]" : host) + ":" + std::to_string(bound.port());
}

void HttpServer::Run() {
  net::signal_set signals(state_->io, SIGINT, SIGTERM);
  signals.async_wait([this](beast::error_code error, int) {
    if (!error) Stop();
  });
  state_->Accept();
  std::vector<std::thread> threads;
  for (int i = 1; i < state_->limits.threads; ++i) threads.emplace_back([this] { state_->io.run(); });
  state_->io.run();
  for (std::thread& thread : threads) thread.join();
}

void HttpServer::Stop() { state_->io.stop(); }

ParsedRequest ParseHttpRequest(std::string_view bytes, const HttpLimits& limits) {
  const std::unique_ptr<Parser> parser = MakeParser(limits);
  beast::error_code error;
  while (!parser->is_done()) {
    const std::size_t used = parser->put(net::buffer(bytes.data(), bytes.size()), error);
    bytes.remove_prefix(used);
    if (error == http::error::need_more) error = {};
    if (error) break;
    if (bytes.empty() || used == 0) {  // the parser wants more than there is: the bytes end here
      parser->put_eof(error);
      if (!error && !parser->is_done()) error = http::error::partial_message;
      break;
    }
  }
  if (error) {
    const int refusal = RefusalFor(error);
    return {std::nullopt, refusal == 0 ? 400 : refusal};
  }
  return {ToRequest(*parser, ""), 0};
}

}  // namespace pellaris::board
