// OpenCV reference operations; without OpenCV they are absent and haveOpenCv() says so.
#include "opencv_references.h"

#ifdef ORVANE_BENCH_OPENCV
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace bench {

#ifdef ORVANE_BENCH_OPENCV

namespace {

cv::Mat wrap(const std::uint16_t* samples, int width, int height) {
    return cv::Mat(height, width, CV_16UC1, const_cast<std::uint16_t*>(samples));
}

template <typename Filter>
void striped(const std::uint16_t* in, std::uint16_t* out, int width, int height, int stripes,
             Filter filter) {
    const cv::Mat src = wrap(in, width, height);
    cv::Mat dst = wrap(out, width, height);
#pragma omp parallel for schedule(static, 1) num_threads(stripes)
    for (int s = 0; s < stripes; ++s) {
        const int begin = height * s / stripes, end = height * (s + 1) / stripes;
        cv::Mat part = dst.rowRange(begin, end);
        filter(src.rowRange(begin, end), part);
    }
}

}  // namespace

bool haveOpenCv() { return true; }

double cvImread(const std::string& path) {
    const cv::Mat image = cv::imread(path, cv::IMREAD_UNCHANGED);
    return image.empty() ? -1.0 : double(image.at<std::uint16_t>(image.rows / 2, image.cols / 2));
}

void cvMedianBlur3(const std::uint16_t* in, std::uint16_t* out, int width, int height) {
    cv::Mat dst = wrap(out, width, height);
    cv::medianBlur(wrap(in, width, height), dst, 3);
}

void cvMedianBlur3Striped(const std::uint16_t* in, std::uint16_t* out, int width, int height,
                          int stripes) {
    striped(in, out, width, height, stripes,
            [](const cv::Mat& src, cv::Mat& dst) { cv::medianBlur(src, dst, 3); });
}

void cvBlur3(const std::uint16_t* in, std::uint16_t* out, int width, int height) {
    cv::Mat dst = wrap(out, width, height);
    cv::blur(wrap(in, width, height), dst, cv::Size(3, 3));
}

void cvBlur3Striped(const std::uint16_t* in, std::uint16_t* out, int width, int height,
                    int stripes) {
    striped(in, out, width, height, stripes,
            [](const cv::Mat& src, cv::Mat& dst) { cv::blur(src, dst, cv::Size(3, 3)); });
}

#else

bool haveOpenCv() { return false; }
double cvImread(const std::string&) { return 0.0; }
void cvMedianBlur3(const std::uint16_t*, std::uint16_t*, int, int) {}
void cvMedianBlur3Striped(const std::uint16_t*, std::uint16_t*, int, int, int) {}
void cvBlur3(const std::uint16_t*, std::uint16_t*, int, int) {}
void cvBlur3Striped(const std::uint16_t*, std::uint16_t*, int, int, int) {}

#endif

}  // namespace bench
