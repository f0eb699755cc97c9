#pragma once
// The language to try when no transform exists for the user's own language: the primary language
// with its default sublanguage (Chinese variants by script). 0 means no fallback.
unsigned PrimaryLanguageFallback(unsigned langId);
