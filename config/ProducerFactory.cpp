#include "config/ProducerFactory.h"

#include "config/GAProducer.h"
#include "config/GPProducer.h"

std::unique_ptr<Producer> CreateProducer(const std::string& fileList) {
  if (IsGAProblemFile(fileList)) return std::make_unique<GAProducer>(fileList);
  return std::make_unique<GPProducer>(fileList);
}
