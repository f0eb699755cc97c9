#pragma once
// What a download makes of a web server's answer. Pure logic.

enum class HttpAnswer {
    Whole,   // 200: the file from its first byte
    Part,    // 206: the rest of it, from where the last try stopped
    Retry,   // 5xx: the server's trouble, which may pass
    Refused, // 4xx and anything else: asking again gets the same answer
};
HttpAnswer ClassifyHttpStatus(unsigned long status);
