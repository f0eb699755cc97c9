#include "foundation/http_text.h"

HttpAnswer ClassifyHttpStatus(unsigned long status) {
    if (status == 200)
        return HttpAnswer::Whole;
    if (status == 206)
        return HttpAnswer::Part;
    return status >= 500 && status <= 599 ? HttpAnswer::Retry : HttpAnswer::Refused;
}
