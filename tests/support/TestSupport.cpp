#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

TestFolder::TestFolder()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

TestFolder::~TestFolder()
{
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (info && info->result() && info->result()->Failed()) {
        dir_.setAutoRemove(false);
        std::fprintf(stderr, "kept test folder %s\n", dir_.path().toLocal8Bit().constData());
    }
}

std::string TestFolder::path() const
{
    return dir_.path().toStdString() + "/";
}

std::string TestFolder::file(const std::string &name) const
{
    return path() + name;
}

std::string readFileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}
