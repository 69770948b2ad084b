#pragma once
// A small streaming JSON writer for the screen dump: one line, commas handled.
#include <string>
#include <vector>

namespace host {

class JsonWriter {
public:
    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }
    void key(const std::string& k);
    void value(const std::string& v);
    void value(const char* v) { value(std::string(v ? v : "")); }
    void value(int v);
    void value(bool v);
    void null();

    template <class T>
    void field(const std::string& k, const T& v)
    {
        key(k);
        value(v);
    }
    // Writes x, y, w, h into the current object.
    void rect(int x, int y, int w, int h);
    // Writes key: {x, y, w, h}.
    void rectField(const std::string& k, int x, int y, int w, int h);

    const std::string& str() const { return m_out; }

private:
    void open(char bracket);
    void close(char bracket);
    void separate();
    std::string m_out;
    std::vector<bool> m_first;
    bool m_afterKey = false;
};

} // namespace host
