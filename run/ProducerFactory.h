// Builds the producer that suits the problem named by a file list: the GA
// producer for the bit-string problem, the GP producer for every other one.
#pragma once

#include <memory>
#include <string>

#include "run/Producer.h"

std::unique_ptr<Producer> CreateProducer(const std::string& fileList);
