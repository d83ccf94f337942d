#include "tools/KovaArraySim/https_connection.h"

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include <cctype>
#include <exception>

namespace kova_sim {
namespace {

namespace http = boost::beast::http;
using boost::asio::ip::tcp;
using Request = http::request<http::string_body>;
using Response = http::response<http::string_body>;

// How much more body a truncated answer announces than it sends.
constexpr size_t kTruncateShortfall = 64;

RecordedRequest ToRecorded(const Request& request) {
  RecordedRequest recorded;
  recorded.method = std::string(request.method_string());
  recorded.target = std::string(request.target());
  recorded.body = request.body();
  for (const auto& field : request) {
    std::string name(field.name_string());
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string& value = recorded.headers[name];
    value += (value.empty() ? "" : ", ") + std::string(field.value());
  }
  return recorded;
}

Response BuildResponse(const HttpReply& reply, bool keep_alive, unsigned version) {
  Response response;
  response.version(version == 10 ? 10 : 11);
  response.result(static_cast<unsigned>(reply.status));
  if (http::int_to_status(static_cast<unsigned>(reply.status)) == http::status::unknown) {
    response.reason(reply.status == 450 ? "REST API Version Not Supported" : "Unknown");
  }
  response.set(http::field::server, "KovaArraySim");
  if (!reply.content_type.empty()) response.set(http::field::content_type, reply.content_type);
  for (const auto& header : reply.headers) response.insert(header.first, header.second);
  // These statuses carry no body; the serializer refuses one.
  const bool bodyless = reply.status < 200 || reply.status == 204 || reply.status == 304;
  if (!bodyless) response.body() = reply.body;
  response.keep_alive(keep_alive);
  response.prepare_payload();
  return response;
}

HttpReply PlainError(int status, const char* message) {
  HttpReply reply;
  reply.status = status;
  reply.body = std::string("{\"msg\":\"") + message + "\"}";
  return reply;
}

// The answer to a request that could not be read, or none when the peer
// simply went away.
bool ReplyForReadError(const boost::system::error_code& error, HttpReply* reply) {
  if (error.category() != http::make_error_code(http::error::end_of_stream).category() ||
      error == http::error::end_of_stream || error == http::error::partial_message) {
    return false;
  }
  if (error == http::error::body_limit) {
    *reply = PlainError(413, "Request body too large.");
  } else if (error == http::error::header_limit) {
    *reply = PlainError(431, "Request header too large.");
  } else {
    *reply = PlainError(400, "Malformed HTTP request.");
  }
  return true;
}

}  // namespace

HttpsConnection::HttpsConnection(tcp::socket socket, boost::asio::ssl::context& tls, const Handler& handler)
    : stream_(std::move(socket), tls), handler_(handler) {
  SetIdle(true);
}

HttpsConnection::~HttpsConnection() {
  Interrupt();
  Join();
}

void HttpsConnection::Start() { thread_ = std::thread([this] { Run(); }); }

void HttpsConnection::Interrupt() {
  boost::system::error_code ignored;
  stream_.next_layer().shutdown(tcp::socket::shutdown_both, ignored);
}

void HttpsConnection::Join() {
  if (thread_.joinable()) thread_.join();
}

std::chrono::steady_clock::time_point HttpsConnection::IdleSince() const {
  return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(idle_since_ns_.load()));
}

void HttpsConnection::SetIdle(bool idle) {
  if (idle) {
    idle_since_ns_ = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
  }
  idle_ = idle;
}

void HttpsConnection::Run() {
  boost::system::error_code error;
  stream_.next_layer().set_option(tcp::no_delay(true), error);
  stream_.handshake(boost::asio::ssl::stream_base::server, error);
  if (!error) ServeRequests();
  Interrupt();
  finished_ = true;
}

void HttpsConnection::ServeRequests() {
  boost::beast::flat_buffer buffer;
  while (true) {
    SetIdle(true);
    http::request_parser<http::string_body> parser;
    parser.header_limit(kMaxHeaderBytes);
    parser.body_limit(kMaxBodyBytes);
    boost::system::error_code error;
    http::read(stream_, buffer, parser, error);
    SetIdle(false);
    if (error) {
      HttpReply reply;
      if (ReplyForReadError(error, &reply)) http::write(stream_, BuildResponse(reply, false, 11), error);
      return;
    }
    const Request& request = parser.get();
    const bool keep_alive = request.keep_alive();
    if (!Send(CallHandler(request), keep_alive, request.version()) || !keep_alive) return;
  }
}

HttpReply HttpsConnection::CallHandler(const Request& request) const {
  try {
    return handler_(ToRecorded(request));
  } catch (...) {
    return PlainError(500, "Internal error.");
  }
}

bool HttpsConnection::Send(const HttpReply& reply, bool keep_alive, unsigned version) {
  if (reply.action == HttpReply::Action::kDrop) return false;
  Response response;
  try {
    response = BuildResponse(reply, keep_alive, version);
  } catch (const std::exception&) {
    response = BuildResponse(PlainError(500, "Internal error."), false, version);
  }
  if (reply.action == HttpReply::Action::kTruncate) {
    response.content_length(reply.body.size() + kTruncateShortfall);
  }
  boost::system::error_code error;
  http::write(stream_, response, error);
  return !error && reply.action == HttpReply::Action::kAnswer;
}

}  // namespace kova_sim
