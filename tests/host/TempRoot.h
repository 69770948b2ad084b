#pragma once
// A box file system in a fresh temporary folder for as long as the object lives.
#include "host/platform/FileSystem.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

class TempRoot {
public:
    TempRoot()
    {
        char tmpl[] = "/tmp/orvalisrootXXXXXX";
        if (!mkdtemp(tmpl))
            throw std::runtime_error("no temporary folder");
        m_path = tmpl;
        host::setFileSystemRoot(m_path);
    }
    ~TempRoot()
    {
        host::setFileSystemRoot("");
        std::system(("rm -rf '" + m_path + "'").c_str());
    }
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

private:
    std::string m_path;
};
