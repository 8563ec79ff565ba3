-- A Halvex database whose second rows cannot be read: `id_obs` of `obj` and
-- `id` of `pgr` hold texts, and "x" is not a number. The reader test loads
-- it into a scratch database of its own.
SET NAMES utf8mb4;
CREATE TABLE `obj` (
  `n` INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  `id` INT NOT NULL, `obj` VARCHAR(64), `inetpassword` VARCHAR(32), `imei` VARCHAR(20),
  `id_obs` VARCHAR(8),
  `s1` VARCHAR(8), `s2` VARCHAR(8), `s3` VARCHAR(8), `s4` VARCHAR(8), `s5` VARCHAR(8),
  `s6` VARCHAR(8), `s8` VARCHAR(8), `s9` VARCHAR(8), `s13` VARCHAR(8), `s14` VARCHAR(8),
  `s15` VARCHAR(8), `s16` VARCHAR(8), `s17` VARCHAR(8), `s18` VARCHAR(8), `s19` VARCHAR(8),
  `s20` VARCHAR(8), `s21` VARCHAR(8), `s22` VARCHAR(8), `s35` VARCHAR(8),
  `d1` DATETIME, `d3` DATE
) DEFAULT CHARSET=cp1251;
INSERT INTO `obj` (`id`, `obj`, `id_obs`) VALUES (1, 'Первый', '1'), (2, 'Второй', 'x'), (3, 'Третий', '1');
CREATE TABLE `pgr` (
  `n` INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  `id` VARCHAR(8), `pgr` VARCHAR(64), `s1` VARCHAR(8), `s2` VARCHAR(8), `s3` VARCHAR(8),
  `s4` VARCHAR(8), `s5` VARCHAR(8), `s6` VARCHAR(8), `s7` VARCHAR(8), `s8` VARCHAR(8),
  `s9` VARCHAR(8)
) DEFAULT CHARSET=cp1251;
INSERT INTO `pgr` (`id`, `pgr`) VALUES ('1', 'ГБР-1'), ('x', 'ГБР-2'), ('3', 'ГБР-3');
