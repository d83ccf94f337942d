#include "library/rest/kova_rest_exception.h"

#include "library/text/text_conversion.h"

namespace KovaStorage {

KovaRestException::KovaRestException(std::string message) : message_(std::move(message)) {}

KovaRestException::KovaRestException(uint16_t status, const web::json::value& response)
    : message_("HTTP Status Code: " + std::to_string(status) + "\tJson Response:" +
               kova::NarrowText(response.serialize()) + "\n") {}

}  // namespace KovaStorage
