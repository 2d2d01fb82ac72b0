# The QC page across slides: the summary table with every failed criterion's cells marked, bar
# plots of the between-slide comparisons with their limits, the distance matrix, and a link to
# each slide's own report. Plots are SVG in data addresses, so the page needs no other file.

html_escaped <- function(x) {
  x <- gsub("&", "&amp;", x, fixed = TRUE)
  x <- gsub("<", "&lt;", x, fixed = TRUE)
  x <- gsub(">", "&gt;", x, fixed = TRUE)
  gsub("\"", "&quot;", x, fixed = TRUE)
}

# The columns a criterion is judged on.
criterion_columns <- list(distance = "distance", ks = "ks", hoeffding_d = "hoeffding_d",
                          spatial_lf = "spatial_lf", placement = "quads_placed",
                          found = c("found_pct_1", "found_pct_2"))

criterion_texts <- c(
  distance = "distance: the sum of the mean |M<sub>a</sub> &#8722; M<sub>b</sub>| to every other slide (spots weighted on both) above the upper quartile + 1.5 IQR of the slides",
  ks = "ks: the Kolmogorov&#8211;Smirnov statistic of the slide's M against the pooled M, same limit",
  hoeffding_d = "hoeffding_d: Hoeffding's D of M against A above 0.15",
  spatial_lf = "spatial_lf: the low-frequency share of M's spatial spectrum over the slide's layout, same limit as distance",
  placement = "placement: fewer quads placed than in use",
  found = "found: the median of the layers' % found below min_percent_found")

svg_image <- function(alt, draw, width = 5, height = 3.2) {
  path <- tempfile(fileext = ".svg")
  svg(path, width = width, height = height)
  draw()
  invisible(dev.off())
  text <- paste(readLines(path, warn = FALSE), collapse = "\n")
  unlink(path)
  paste0("<img alt=\"", html_escaped(alt), "\" src=\"data:image/svg+xml,",
         URLencode(text, reserved = TRUE), "\"/>")
}

bar_plot <- function(values, names, failed, title, limit) {
  svg_image(title, function() {
    par(mar = c(6, 4, 2, 1))
    top <- max(c(values, limit, 0), na.rm = TRUE)
    barplot(ifelse(is.na(values), 0, values), names.arg = names, las = 2, main = title,
            col = ifelse(failed, "#d62728", "#7f9fbf"), ylim = c(0, top * 1.1 + 1e-9))
    if (!is.na(limit)) abline(h = limit, lty = 2)
  })
}

box_limit <- function(x) {
  q <- quantile(x, c(0.25, 0.75), na.rm = TRUE)
  unname(q[2] + 1.5 * (q[2] - q[1]))
}

distance_plot <- function(distances) {
  svg_image("Mean |M difference| between slides", function() {
    n <- nrow(distances)
    par(mar = c(6, 6, 2, 1))
    image(seq_len(n), seq_len(n), distances[, rev(seq_len(n)), drop = FALSE], axes = FALSE,
          xlab = "", ylab = "", main = "Mean |M difference| between slides",
          col = hcl.colors(32, "YlOrRd", rev = TRUE))
    axis(1, seq_len(n), rownames(distances), las = 2)
    axis(2, seq_len(n), rev(colnames(distances)), las = 2)
  }, width = 5, height = 5)
}

table_html <- function(shown, fails) {
  columns <- names(shown)
  head <- paste0("<tr>", paste0("<th>", html_escaped(columns), "</th>", collapse = ""), "</tr>")
  rows <- vapply(seq_len(nrow(shown)), function(i) {
    failed_columns <- unlist(lapply(names(fails), function(f)
      if (fails[[f]][i]) criterion_columns[[f]] else NULL))
    cells <- vapply(columns, function(col) {
      value <- html_escaped(as.character(shown[[col]][i]))
      if (col == "slide")
        value <- paste0("<a href=\"../", value, "/report.html\">", value, "</a>")
      mark <- if (col %in% failed_columns) " class=\"fail\"" else ""
      paste0("<td", mark, ">", value, "</td>")
    }, "")
    paste0("<tr>", paste(cells, collapse = ""), "</tr>")
  }, "")
  paste0("<table>", head, paste(rows, collapse = ""), "</table>")
}

qc_page <- function(shown, summary, fails, distances, compared) {
  plots <- c(
    bar_plot(summary$distance, summary$slide, if (compared) fails$distance else FALSE,
             "distance", if (compared) box_limit(summary$distance) else NA),
    bar_plot(summary$ks, summary$slide, if (compared) fails$ks else FALSE, "ks",
             if (compared) box_limit(summary$ks) else NA),
    bar_plot(summary$hoeffding_d, summary$slide, fails$hoeffding_d, "hoeffding_d", 0.15),
    bar_plot(summary$spatial_lf, summary$slide, if (compared) fails$spatial_lf else FALSE,
             "spatial_lf", if (compared) box_limit(summary$spatial_lf) else NA),
    distance_plot(distances))
  applied <- names(criterion_texts) %in% names(fails)
  rules <- paste0("<li>", criterion_texts[applied], "</li>", collapse = "")
  if (!compared)
    rules <- paste0(rules, "<li>distance, ks and spatial_lf compare slides with one another ",
                    "and need at least 3 slides; with ", nrow(summary),
                    " they are shown but not applied.</li>")
  c("<!DOCTYPE html>", "<html lang=\"en\"><head><meta charset=\"utf-8\"/>",
    "<title>QC across slides</title><style>",
    "body{font-family:sans-serif;margin:1.5em}table{border-collapse:collapse}",
    "td,th{border:1px solid #bbb;padding:2px 6px;text-align:right}",
    "td.fail{background:#f4b6b6;font-weight:bold}img{margin:4px}",
    "</style></head><body>",
    "<h1>QC across slides</h1>",
    paste0("<p>", nrow(summary), " slide(s), ", sum(summary$outlier != ""),
           " flagged. Marked cells fail a criterion; the slide's name opens its report.</p>"),
    table_html(shown, fails),
    "<h2>Criteria</h2>", paste0("<ul>", rules, "</ul>"),
    "<h2>Between-slide comparisons</h2>", paste0("<div>", paste(plots, collapse = ""), "</div>"),
    "</body></html>")
}
